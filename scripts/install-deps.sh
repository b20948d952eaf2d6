#!/usr/bin/env bash
# Installs the Debian packages ZORVEK needs, only those that are missing.
#   install-deps.sh          what building and running need
#   install-deps.sh --tests  and what the test suite needs too
set -euo pipefail

packages=(cmake ninja-build g++ pkg-config libboost-dev libedit-dev libcli11-dev libpng-dev)
if [[ "${1:-}" == "--tests" ]]; then
    packages+=(googletest libgtest-dev)
    command -v node >/dev/null || packages+=(nodejs)
    command -v npm >/dev/null || packages+=(npm)
fi

missing=()
for package in "${packages[@]}"; do
    if ! dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "install ok installed"; then
        missing+=("$package")
    fi
done
[[ ${#missing[@]} -eq 0 ]] && exit 0

sudo=""
[[ $(id -u) -ne 0 ]] && sudo="sudo"
echo "Installing: ${missing[*]}"
$sudo apt-get update -qq
DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
