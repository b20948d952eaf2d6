#!/usr/bin/env bash
# Installs what is missing, builds, and starts the menu in the folder with the shipped tables.
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/install-deps.sh build
cmake --preset default >/dev/null
cmake --build --preset default --target zorvek
cd data
exec ../build/default/src/app/zorvek
