#!/usr/bin/env bash
# Installs what is missing, builds the program (a plain Release build, no
# tests), and converts the bundled sample model in all four bone modes into
# out/sample/, with its textures from the sample's TXD beside the models, the
# sample's animations into motions for the mmd-mode and the standard-mode
# models, and the sample's MMD motion into a game animation for each of them.
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/install-deps.sh build
cmake -S . -B build/run -G Ninja -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build build/run --target zorvek

out=out/sample
mkdir -p "$out"
for mode in none info mmd standard; do
    echo "== mode $mode"
    build/run/src/app/zorvek convert samples/zorvek_sample.dff -o "$out/zorvek_sample_$mode.pmx" \
        --mode "$mode" --tables data --force
done
# Each motion is made for the PMX of its own mode: the bones differ.
echo "== motions for zorvek_sample_mmd.pmx"
build/run/src/app/zorvek ifp2vmd samples/zorvek_sample.ifp --model samples/zorvek_sample.dff --mode mmd \
    -d "$out/motions" --tables data --force
echo "== motions for zorvek_sample_standard.pmx"
build/run/src/app/zorvek ifp2vmd samples/zorvek_sample.ifp --model samples/zorvek_sample.dff --mode standard \
    -d "$out/motions_standard" --tables data --force
echo "== the sample's MMD motion into a game animation, through zorvek_sample_mmd.pmx"
build/run/src/app/zorvek vmd2ifp samples/zorvek_sample.vmd --model samples/zorvek_sample.dff --mode mmd \
    -o "$out/zorvek_sample_dance.ifp" --tables data --force
echo "== the sample's MMD motion into a game animation, through zorvek_sample_standard.pmx"
build/run/src/app/zorvek vmd2ifp samples/zorvek_sample.vmd --model samples/zorvek_sample.dff --mode standard \
    -o "$out/zorvek_sample_dance_standard.ifp" --tables data --force
echo
echo "Wrote:"
ls -l "$out" "$out/motions" "$out/motions_standard"
echo
echo "Start the menu with:  (cd data && ../build/run/src/app/zorvek)"
