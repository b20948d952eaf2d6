#!/usr/bin/env bash
# Installs what is missing, builds, and converts the bundled sample model in
# all three bone modes into out/sample/, with the textures beside the models.
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/install-deps.sh build
cmake --preset default >/dev/null
cmake --build --preset default --target zorvek

out=out/sample
mkdir -p "$out"
for mode in none info mmd; do
    echo "== mode $mode"
    build/default/src/app/zorvek convert samples/zorvek_sample.dff -o "$out/zorvek_sample_$mode.pmx" \
        --mode "$mode" --tables data --force
done
echo
echo "Wrote:"
ls -l "$out"/*.pmx
echo
echo "Start the menu with:  (cd data && ../build/default/src/app/zorvek)"
