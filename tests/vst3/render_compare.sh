#!/usr/bin/env bash
# render_compare.sh <wine runner> <corvane_vst3host.exe> <module> <native corvane_render> <work dir> [preset]
#                   [rendering host.exe]
# Renders the test host's deterministic signal (stereo with a side chain, 32-bit PCM) through
# the module under Wine and through the native offline renderer, in 64-frame blocks, and fails
# unless the two results are the same bit for bit: the effect computes with the project's own
# portable arithmetic in every build, x86 and x86-64 alike. Both write 32-bit PCM with
# libsndfile's rounding.
# The module is rendered by the rendering host when one is given (another format's test host
# with the same render command), else by corvane_vst3host, which always makes the input and
# compares.
set -euo pipefail
wine="$1"; host="$2"; module="$3"; native="$4"; work="$5"; preset="${6:-}"; renderer="${7:-$2}"
rm -rf "$work"
mkdir -p "$work"
cd "$work"
# Relative names need no drive mapping under Wine.
module_rel="$(realpath --relative-to="$work" "$module")"
native_args=(--quiet --block 64)
host_args=(--block 64)
if [ -n "$preset" ]; then
  native_args+=(--preset "$preset")
  host_args+=(--preset "$preset")
fi
"$wine" "$host" make-input input.wav
"$native" "${native_args[@]}" input.wav native.wav
"$wine" "$renderer" render "${host_args[@]}" "$module_rel" input.wav module.wav
"$wine" "$host" compare --tolerance 0 native.wav module.wav
