#!/usr/bin/env bash
# Shows the rider at work without bringing a file: installs what is missing, builds the offline
# renderer natively, generates a demo input (a speech-like voice jumping 10 dB up and down every
# 8 s, with a steady voice as side chain), renders it with a factory preset and draws the ride.
set -euo pipefail
ROOT="$(cd "$(dirname "$0")/.." && pwd)"
BUILD="$ROOT/build/demo"
OUT="$BUILD/demo"
PRESET="Classic vocal"

"$ROOT/tools/setup.sh"
echo "demo: building the renderer in $BUILD"
mkdir -p "$BUILD"
cmake -S "$ROOT" -B "$BUILD" -DCMAKE_BUILD_TYPE=Release -DCORVANE_BENCH=OFF >"$BUILD.log" 2>&1 ||
  { cat "$BUILD.log"; exit 1; }
cmake --build "$BUILD" -j"$(nproc)" --target corvane_render corvane_demo_input >>"$BUILD.log" 2>&1 ||
  { cat "$BUILD.log"; exit 1; }

mkdir -p "$OUT"
"$BUILD/tools/render/corvane_demo_input" "$OUT/input.wav"
echo "demo: rendering with the factory preset \"$PRESET\""
"$BUILD/tools/render/corvane_render" --preset "$PRESET" --csv "$OUT/gains.csv" --plot "$OUT/ride.png" \
  "$OUT/input.wav" "$OUT/output.wav"
echo "demo: input, output, the gains every 10 ms and a picture of the ride (ride.png) are in $OUT"
