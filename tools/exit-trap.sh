# Sourced: corvane_on_exit <command> adds a command to what the shell runs as it ends, after what
# it runs then already, so that the Wine display and the x86 test machine, started in one shell,
# are both stopped.
corvane_on_exit() {
  local command="$1" current=""
  [ -n "$(trap -p EXIT)" ] && eval "set -- $(trap -p EXIT)" && current="$3"
  case "; $current;" in *"; $command;"*) return 0 ;; esac
  trap "${current:+$current; }$command" EXIT
}
