#!/usr/bin/env bash
# render_compare.sh <wine runner> <corvane_vst3host.exe> <module> <native corvane_render> <work dir> [preset]
# Renders the test host's deterministic signal (stereo with a side chain, 32-bit PCM) through
# the module under Wine and through the native offline renderer, in 64-frame blocks, and fails
# unless the two results agree within 1e-9 (the C libraries differ in the last bits of exp and
# log). Both write 32-bit PCM with libsndfile's rounding, whose step (2^-31) is finer than that.
set -euo pipefail
wine="$1"; host="$2"; module="$3"; native="$4"; work="$5"; preset="${6:-}"
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
"$wine" "$host" render "${host_args[@]}" "$module_rel" input.wav module.wav
"$wine" "$host" compare --tolerance 1e-9 native.wav module.wav
