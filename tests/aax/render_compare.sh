#!/usr/bin/env bash
# render_compare.sh <wine runner> <aax_render_host.exe> <corvane_vst3host.exe> <module> <native corvane_render> <work dir>
# Renders the test signal (stereo with a mono side chain, 32-bit PCM) through the AAX module
# under Wine and through the native offline renderer, in 64-frame blocks, and fails unless the
# two agree within 1e-6: the module's render callback carries 32-bit float samples, the native
# renderer's 64-bit ones.
set -euo pipefail
wine="$1"; aaxhost="$2"; vst3host="$3"; module="$4"; native="$5"; work="$6"
rm -rf "$work"
mkdir -p "$work"
cd "$work"
module_rel="$(realpath --relative-to="$work" "$module")"
"$wine" "$aaxhost" make-input input.wav
"$native" --quiet --block 64 input.wav native.wav
"$wine" "$aaxhost" render "$module_rel" input.wav module.wav > /dev/null
"$wine" "$vst3host" compare --tolerance 1e-6 native.wav module.wav
