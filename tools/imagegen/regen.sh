#!/usr/bin/env bash
# Builds the bitmap generator natively and redraws the editor's bitmaps into resources/img.
# Commit the files it changes; tests/resources fails while they differ from the drawing code.
set -euo pipefail
root="$(cd "$(dirname "$0")/../.." && pwd)"
build="${CORVANE_IMAGEGEN_BUILD:-$root/build/imagegen}"
cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=Release -DCORVANE_BENCH=OFF >/dev/null
cmake --build "$build" --target corvane_imagegen -j"$(nproc)"
"$build/tools/imagegen/corvane_imagegen" "$root/resources/img"
