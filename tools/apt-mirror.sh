# The Debian mirror the set-up fetches from: the one the machine's apt is configured with, never
# an address of our own, so a machine that reaches Debian only through its own mirror, proxy or
# pinned snapshot sets the project up from there. Sourced by tools/setup.sh and
# tools/x86vm/setup.sh.
#
# corvane_apt_mirror [CODENAME]
#   Sets CORVANE_MIRROR (the main archive's URI, without a trailing slash) and CORVANE_MIRROR_SUITES
#   (that archive's suites with the component main, in the order apt's configuration gives). The
#   main archive is the first 'deb' entry whose suite is the machine's release (CODENAME, by
#   default VERSION_CODENAME of /etc/os-release) with the component main: the security archive's
#   suite is CODENAME-security, and other vendors' entries name suites of their own. It asks apt
#   itself (apt-get indextargets, which reads the configuration without the downloaded lists, so it
#   answers before the first apt-get update too); APT_CONFIG chooses another configuration. Where
#   there is no such entry it says what to configure and returns 1.
corvane_apt_mirror() {
  local codename="${1:-}"
  if [ -z "$codename" ] && [ -r /etc/os-release ]; then
    codename="$(. /etc/os-release && echo "${VERSION_CODENAME:-}")"
  fi
  if [ -z "$codename" ]; then
    echo "setup: cannot tell this machine's Debian release (no VERSION_CODENAME in /etc/os-release)" >&2
    return 1
  fi
  local targets
  if ! targets="$(apt-get indextargets --no-release-info \
      --format '$(IDENTIFIER) $(COMPONENT) $(RELEASE) $(REPO_URI)' 2>&1)"; then
    echo "setup: apt-get could not read apt's configuration: $targets" >&2
    return 1
  fi
  CORVANE_MIRROR="$(awk -v c="$codename" '$1 == "Packages" && $2 == "main" && $3 == c { print $4; exit }' \
    <<<"$targets")"
  CORVANE_MIRROR="${CORVANE_MIRROR%/}"
  if [ -z "$CORVANE_MIRROR" ]; then
    echo "setup: apt's configuration names no Debian mirror for $codename: the set-up fetches from" \
      "the mirror apt uses, so add its main archive to /etc/apt/sources.list.d/ (Types: deb," \
      "URIs: the mirror, Suites: $codename $codename-updates, Components: main), then run the" \
      "set-up again" >&2
    return 1
  fi
  CORVANE_MIRROR_SUITES="$(awk -v u="$CORVANE_MIRROR" '
      $1 == "Packages" && $2 == "main" && ($4 == u || $4 == u "/") && !seen[$3]++ {
        printf "%s%s", sep, $3; sep = " " }' <<<"$targets")"
}
