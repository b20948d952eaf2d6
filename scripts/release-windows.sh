#!/usr/bin/env bash
# Builds zorvek.exe and packs it for Windows users: build/release/zorvek-windows/
# holds the program, its two tables, the README and the sample model with its
# texture dictionary, and build/release/zorvek-windows.zip the same folder zipped.
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/install-deps.sh windows
cmake --preset windows >/dev/null
cmake --build --preset windows --target zorvek

release=build/release
folder=$release/zorvek-windows
rm -rf "$folder" "$release/zorvek-windows.zip"
mkdir -p "$folder"
x86_64-w64-mingw32-strip -o "$folder/zorvek.exe" build/windows/src/app/zorvek.exe
cp data/bones.dat data/iks.dat README.md "$folder/"
# The sample files the repository holds, not what a local run left beside them.
mapfile -t samples < <(git ls-files samples)
if [[ ${#samples[@]} -gt 0 ]]; then
    mkdir "$folder/samples"
    cp "${samples[@]}" "$folder/samples/"
fi
(cd "$release" && zip -qrX zorvek-windows.zip zorvek-windows)

echo "Wrote $folder/ and $release/zorvek-windows.zip:"
zip -sf "$release/zorvek-windows.zip"
