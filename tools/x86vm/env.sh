# Sourced: corvane_x86vm_start starts the x86 test machine, corvane_x86vm_stop stops it.
#
# The machine is a 64-bit Debian kernel under QEMU's software emulation (it runs 32-bit programs
# whatever the machine's own kernel allows) whose userland is the i386 Debian root that
# tools/setup.sh made in .deps/x86: the root is shared read-only, the checkout read-write at its
# own path. Inside, an agent (agent.sh) keeps an Xvfb display and a Wine server on a 32-bit
# prefix of its own (build/wineprefix32) and runs the jobs tools/x86vm/run.sh hands it.
ROOT="${ROOT:-$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)}"
source "$ROOT/tools/exit-trap.sh"
CORVANE_X86_DIR="${CORVANE_X86_DIR:-$ROOT/.deps/x86}"
CORVANE_X86VM="$ROOT/build/x86vm"

corvane_x86vm_start() {
  local x86="$CORVANE_X86_DIR" vm="$CORVANE_X86VM" spool="$CORVANE_X86VM/spool"
  if [ ! -f "$x86/root/.corvane-ready" ] || [ ! -f "$x86/machine/.corvane-ready" ]; then
    echo "x86 test machine: the i386 root or the kernel is missing in $x86: run tools/setup.sh" >&2
    return 1
  fi
  case "$ROOT" in
    *[[:space:]]*) echo "x86 test machine: the checkout's path must not contain spaces ($ROOT)" >&2; return 1 ;;
  esac
  command -v qemu-system-x86_64 >/dev/null \
    || { echo "x86 test machine: qemu-system-x86_64 is missing: run tools/setup.sh" >&2; return 1; }
  corvane_x86vm_stop
  # A machine left running on this checkout by an earlier shell would take jobs from the spool.
  local old
  old="$(cat "$vm/qemu.pid" 2>/dev/null)" || true
  if [ -n "$old" ] && grep -qs qemu-system "/proc/$old/cmdline"; then
    kill "$old" 2>/dev/null
    for _ in $(seq 1 50); do kill -0 "$old" 2>/dev/null || break; sleep 0.1; done
  fi
  rm -rf "$vm"
  mkdir -p "$spool" "$vm/initrd/modules"

  # The init, built here so that it always matches the checkout, with the modules it loads.
  gcc -O2 -static -Wall -Wextra -o "$vm/initrd/init" "$ROOT/tools/x86vm/init.c" \
    || { echo "x86 test machine: cannot build its init" >&2; return 1; }
  cp "$x86"/machine/modules/*.ko "$vm/initrd/modules/"
  (cd "$vm/initrd" && find . | cpio -o -H newc --quiet >"$vm/initrd.cpio") || return 1
  # The checkout's mount point inside the read-only root.
  mkdir -p "$x86/root$ROOT" 2>/dev/null || sudo mkdir -p "$x86/root$ROOT" || return 1

  local cpus mem
  cpus="$(nproc)"; [ "$cpus" -gt 8 ] && cpus=8
  mem=6144
  # SMAP off: QEMU 7.2's emulated IRET from 32-bit user code reads the user stack as the kernel
  # would, which SMAP refuses.
  qemu-system-x86_64 -accel tcg,thread=multi -cpu max,-smap -smp "$cpus" -m "$mem" \
    -nographic -no-reboot -net none \
    -kernel "$x86/machine/vmlinuz" -initrd "$vm/initrd.cpio" \
    -append "console=ttyS0 panic=-1 quiet corvane.work=$ROOT corvane.spool=$spool corvane.agent=$ROOT/tools/x86vm/agent.sh corvane.prefix=$ROOT/build/wineprefix32" \
    -virtfs "local,path=$x86/root,mount_tag=root,security_model=none,readonly=on" \
    -virtfs "local,path=$ROOT,mount_tag=work,security_model=none" \
    -virtfs "local,path=$spool,mount_tag=spool,security_model=none" \
    </dev/null >"$vm/console.log" 2>&1 &
  CORVANE_X86VM_PID=$!
  echo "$CORVANE_X86VM_PID" >"$vm/qemu.pid"
  corvane_on_exit corvane_x86vm_stop

  # The first start makes the Wine prefix (several minutes under emulation).
  local waited=0
  while [ ! -e "$spool/ready" ]; do
    if ! kill -0 "$CORVANE_X86VM_PID" 2>/dev/null; then
      echo "x86 test machine: stopped before it was ready; its console and agent said:" >&2
      tail -30 "$vm/console.log" >&2; cat "$spool/agent.log" >&2 2>/dev/null
      CORVANE_X86VM_PID=
      return 1
    fi
    if [ "$waited" -ge 1800 ]; then
      echo "x86 test machine: not ready after $waited s; its agent said:" >&2
      cat "$spool/agent.log" >&2 2>/dev/null
      corvane_x86vm_stop
      return 1
    fi
    sleep 1; waited=$((waited + 1))
  done
  echo "x86 test machine: ready ($cpus processors, after $waited s)"
}

corvane_x86vm_stop() {
  local spool="$CORVANE_X86VM/spool"
  if [ -n "${CORVANE_X86VM_PID:-}" ]; then
    if kill -0 "$CORVANE_X86VM_PID" 2>/dev/null; then
      : >"$spool/stop"
      local i
      for i in $(seq 1 120); do kill -0 "$CORVANE_X86VM_PID" 2>/dev/null || break; sleep 0.5; done
      kill "$CORVANE_X86VM_PID" 2>/dev/null || true
    fi
    wait "$CORVANE_X86VM_PID" 2>/dev/null || true
    CORVANE_X86VM_PID=
  fi
  rm -f "$spool/ready"
}
