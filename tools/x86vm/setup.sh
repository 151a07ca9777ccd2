#!/usr/bin/env bash
# Makes what the x86 tests run on, once, in the dependency cache (.deps/x86); a warm machine pays
# nothing. Run as root (tools/setup.sh calls it so).
#   root/     an i386 Debian root with 32-bit Wine, Xvfb and the fonts: debootstrap unpacks it,
#             and its packages are set up inside it, entered with bubblewrap in a user namespace
#             of its own; nothing is mounted on the machine. Where the kernel does not run 32-bit
#             programs, the user-mode emulator runs them for the set-up (registered only inside
#             that namespace).
#   machine/  a 64-bit Debian kernel and the modules the x86 test machine needs (tools/x86vm/env.sh)
#   bin/      the static helpers
set -euo pipefail
ROOT="$(cd "$(dirname "$0")/../.." && pwd)"
X86="${CORVANE_X86_DIR:-$ROOT/.deps/x86}"
SUITE=bookworm
fail() { echo "x86 setup: $*" >&2; exit 1; }

for tool in bwrap debootstrap qemu-system-x86_64 cpio gcc; do
  command -v "$tool" >/dev/null || fail "$tool is missing: tools/setup.sh installs it (Debian packages bubblewrap, debootstrap, qemu-system-x86, cpio, gcc)"
done
[ "$(id -u)" = 0 ] || fail "must run as root: it makes an i386 Debian root with debootstrap and maps users into it"

mkdir -p "$X86/bin"
for helper in userns binfmt; do
  if [ ! -x "$X86/bin/$helper" ] || [ "$ROOT/tools/x86vm/$helper.c" -nt "$X86/bin/$helper" ]; then
    gcc -O2 -static -Wall -Wextra -o "$X86/bin/$helper" "$ROOT/tools/x86vm/$helper.c" \
      || fail "cannot build the static helper $helper (libc6-dev brings the static C library)"
  fi
done

# ---------------------------------------------------------------------------------------------
# The i386 root
if [ ! -f "$X86/root/.corvane-ready" ]; then
  # The root comes from the mirror the machine's apt uses; debootstrap writes it into the root's
  # own apt configuration, so the root's packages come from there too.
  source "$ROOT/tools/apt-mirror.sh"
  corvane_apt_mirror || exit 1
  MIRROR="$CORVANE_MIRROR"
  new="$X86/root.new"
  rm -rf "$new" "$X86/root"
  echo "x86 setup: unpacking an i386 Debian root from $MIRROR (once, a few minutes)"
  debootstrap --arch=i386 --variant=minbase --foreign "$SUITE" "$new" "$MIRROR" >"$X86/debootstrap.log" 2>&1 \
    || fail "debootstrap could not unpack the i386 root from $MIRROR (no route to the mirror?): see $X86/debootstrap.log"
  # debootstrap may leave /proc a link to the machine's; bubblewrap mounts its own there.
  [ -L "$new/proc" ] && rm -f "$new/proc"
  mkdir -p "$new/proc"
  cp /etc/resolv.conf "$new/etc/resolv.conf" 2>/dev/null || true

  enter=("$X86/bin/userns" bwrap --bind "$new" / --dev /dev --proc /proc --tmpfs /tmp --tmpfs /dev/shm
         --unshare-pid --die-with-parent --cap-add ALL --setenv container lxc
         --setenv DEBIAN_FRONTEND noninteractive --setenv PATH /usr/sbin:/usr/bin:/sbin:/bin)
  command -v qemu-i386-static >/dev/null || fail "qemu-i386-static is missing (Debian package qemu-user-static)"
  cp "$(command -v qemu-i386-static)" "$new/usr/bin/qemu-i386-static"
  cp "$X86/bin/binfmt" "$new/usr/bin/corvane-binfmt"
  "${enter[@]}" /usr/bin/qemu-i386-static --version >/dev/null 2>&1 \
    || fail "bubblewrap cannot enter the i386 root (a kernel without user namespaces?)"
  if "${enter[@]}" /usr/bin/true 2>/dev/null; then
    run=("${enter[@]}")
  else
    # This kernel does not run 32-bit programs: the user-mode emulator does, for the set-up.
    run=("${enter[@]}" /usr/bin/corvane-binfmt)
  fi
  echo "x86 setup: setting up the root's packages (once)"
  "${run[@]}" /debootstrap/debootstrap --second-stage >"$X86/second-stage.log" 2>&1 \
    || fail "the i386 root's packages could not be set up: see $X86/second-stage.log"
  echo "x86 setup: installing 32-bit Wine, Xvfb and the fonts in the root (once)"
  "${run[@]}" /bin/sh -c "apt-get update -qq && apt-get install -y -qq --no-install-recommends \
      wine wine32 xvfb xauth fonts-liberation && apt-get clean" >"$X86/packages.log" 2>&1 \
    || fail "32-bit Wine could not be installed in the i386 root (no route to $MIRROR?): see $X86/packages.log"
  rm -f "$new/usr/bin/qemu-i386-static" "$new/usr/bin/corvane-binfmt"
  mv "$new" "$X86/root"
  touch "$X86/root/.corvane-ready"
fi

# ---------------------------------------------------------------------------------------------
# The machine's kernel (Debian's, with 32-bit programs enabled) and the modules its init loads
modules="virtio_ring virtio virtio_pci_modern_dev virtio_pci_legacy_dev virtio_pci netfs fscache 9pnet 9pnet_virtio 9p"
if [ ! -f "$X86/machine/.corvane-ready" ]; then
  echo "x86 setup: fetching the test machine's kernel"
  rm -rf "$X86/machine" "$X86/kernel"
  mkdir -p "$X86/kernel" "$X86/machine/modules"
  pkg="$(apt-cache depends linux-image-amd64 | sed -n 's/^ *Depends: \(linux-image-[^ ]*\)$/\1/p' | head -1)"
  [ -n "$pkg" ] || fail "no Debian kernel package found (apt-get update?)"
  (cd "$X86/kernel" && apt-get download -qq "$pkg" >/dev/null 2>&1) \
    || fail "cannot fetch $pkg from the mirror apt is configured with"
  dpkg-deb -x "$X86"/kernel/*.deb "$X86/kernel/x"
  cp "$X86"/kernel/x/boot/vmlinuz-* "$X86/machine/vmlinuz"
  for m in $modules; do
    f="$(find "$X86/kernel/x/lib/modules" -name "$m.ko" | head -1)"
    [ -n "$f" ] || fail "the kernel $pkg has no module $m.ko"
    cp "$f" "$X86/machine/modules/"
  done
  rm -rf "$X86/kernel"
  touch "$X86/machine/.corvane-ready"
fi
