#!/usr/bin/env bash
# The set-up's choice of Debian mirror (tools/apt-mirror.sh), on sample apt configurations: it
# takes the main archive's URI and suites from apt, whatever else is listed and in whichever of
# apt's two formats, and fails with what to configure where there is none. Needs only apt-get; it
# reads the samples without fetching anything.
set -uo pipefail
ROOT="$(cd "$(dirname "$0")/../.." && pwd)"
source "$ROOT/tools/apt-mirror.sh"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
failures=0

# sample NAME: a configuration of its own whose sources are standard input, in sources.list
# (one-line format) or in sources.list.d/NAME.sources (deb822 format) by the name's ending.
sample() {
  local dir="$work/$1"
  mkdir -p "$dir/sources.list.d" "$dir/lists"
  : >"$dir/sources.list"
  case "$1" in
    *.list) cat >"$dir/sources.list" ;;
    *) cat >"$dir/sources.list.d/$1.sources" ;;
  esac
  cat >"$dir/apt.conf" <<CONF
Dir::Etc::SourceList "$dir/sources.list";
Dir::Etc::SourceParts "$dir/sources.list.d";
Dir::State::Lists "$dir/lists";
CONF
}

# expect NAME URI SUITES: the choice on sample NAME is URI with SUITES
expect() {
  CORVANE_MIRROR="" CORVANE_MIRROR_SUITES=""
  if ! APT_CONFIG="$work/$1/apt.conf" corvane_apt_mirror bookworm 2>"$work/err"; then
    echo "FAIL $1: no mirror chosen ($(cat "$work/err"))"; failures=$((failures + 1)); return
  fi
  if [ "$CORVANE_MIRROR" != "$2" ] || [ "$CORVANE_MIRROR_SUITES" != "$3" ]; then
    echo "FAIL $1: chose '$CORVANE_MIRROR' with '$CORVANE_MIRROR_SUITES', expected '$2' with '$3'"
    failures=$((failures + 1)); return
  fi
  echo "ok   $1: $CORVANE_MIRROR ($CORVANE_MIRROR_SUITES)"
}

# refuse NAME: no mirror is chosen on sample NAME, and the message says what to configure
refuse() {
  local err
  if err="$(APT_CONFIG="$work/$1/apt.conf" corvane_apt_mirror bookworm 2>&1 >/dev/null)"; then
    echo "FAIL $1: chose '$CORVANE_MIRROR' where there is no main archive"; failures=$((failures + 1))
  elif [[ "$err" != *"names no Debian mirror for bookworm"*"Components: main"* ]]; then
    echo "FAIL $1: refused without saying what to configure: $err"; failures=$((failures + 1))
  else
    echo "ok   $1: refused"
  fi
}

# The security archive and another vendor's entry listed before the main archive, deb822.
sample security-first <<'SRC'
Types: deb
URIs: http://security.mirror.invalid/debian-security
Suites: bookworm-security
Components: main

Types: deb
URIs: http://vendor.invalid/node
Suites: nodistro
Components: main

Types: deb deb-src
URIs: http://mirror.invalid/debian/
Suites: bookworm bookworm-updates bookworm-backports
Components: main contrib
SRC
expect security-first http://mirror.invalid/debian "bookworm bookworm-updates bookworm-backports"

# The one-line format, with options, the suites on lines of their own and a pinned snapshot's URI.
sample snapshot.list <<'SRC'
deb [signed-by=/usr/share/keyrings/debian-archive-keyring.gpg] http://snapshot.invalid/archive/debian-security/20250520T000000Z bookworm-security main
deb [check-valid-until=no] http://snapshot.invalid/archive/debian/20250520T000000Z bookworm-updates main
deb [check-valid-until=no] http://snapshot.invalid/archive/debian/20250520T000000Z bookworm main non-free-firmware
SRC
expect snapshot.list http://snapshot.invalid/archive/debian/20250520T000000Z "bookworm-updates bookworm"

# Another release's archive, an entry without main, and the security archive: none will do.
sample no-main-archive.list <<'SRC'
deb http://mirror.invalid/debian trixie main
deb http://mirror.invalid/debian bookworm contrib
deb http://security.mirror.invalid/debian-security bookworm-security main
SRC
refuse no-main-archive.list

sample empty.list </dev/null
refuse empty.list

[ "$failures" = 0 ] && echo "mirror choice: all cases passed" || echo "mirror choice: $failures case(s) failed"
[ "$failures" = 0 ]
