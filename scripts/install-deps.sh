#!/usr/bin/env bash
# Installs the Debian packages ZORVEK needs, only those that are missing.
#   install-deps.sh [GROUP ...]   groups: build (default), tests, fuzz, windows, bench
set -euo pipefail

declare -A groups=(
    [build]="cmake ninja-build g++ pkg-config libboost-dev libedit-dev libcli11-dev libpng-dev"
    [tests]="googletest libgtest-dev"
    [fuzz]="clang libclang-rt-14-dev"
    [windows]="g++-mingw-w64-x86-64-posix wine wine64 zip"
    [bench]="time"
)

packages=()
for group in "${@:-build}"; do
    [[ -n "${groups[$group]+set}" ]] || { echo "unknown group: $group" >&2; exit 2; }
    read -ra listed <<<"${groups[$group]}"
    packages+=("${listed[@]}")
    if [[ "$group" == tests ]]; then
        # Node.js may come from elsewhere than Debian; only what is absent is installed.
        command -v node >/dev/null || packages+=(nodejs)
        command -v npm >/dev/null || packages+=(npm)
    fi
done

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
