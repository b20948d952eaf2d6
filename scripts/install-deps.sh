#!/usr/bin/env bash
# Installs the Debian packages ZORVEK needs, only those that are missing.
#   install-deps.sh [GROUP ...]   groups: build (default), tests, fuzz, windows, bench
set -euo pipefail

declare -A groups=(
    [build]="cmake ninja-build g++ pkg-config libboost-dev libedit-dev libcli11-dev libsquish-dev libstb-dev libglm-dev libdeflate-dev"
    [tests]="googletest libgtest-dev clang-format"
    [fuzz]="clang libclang-rt-14-dev"
    [windows]="g++-mingw-w64-x86-64-posix wine wine64 zip dpkg-dev"
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

sudo=""
[[ $(id -u) -ne 0 ]] && sudo="sudo"

# The Windows build compiles libsquish and libdeflate from Debian's source
# packages (apt-get source), which needs source entries. They are made from
# the machine's own Debian entries, so they name the same mirrors.
source_list=/etc/apt/sources.list.d/zorvek-deb-src.sources
enable_debian_sources() {
    [[ -f "$source_list" ]] && return 0
    local entries=""
    local deb822
    for deb822 in /etc/apt/sources.list.d/*.sources; do
        [[ -f "$deb822" ]] && grep -q '^Suites:.*bookworm' "$deb822" || continue
        entries+="$(sed 's/^Types:.*/Types: deb-src/' "$deb822")"$'\n\n'
    done
    if [[ -f /etc/apt/sources.list ]]; then
        local line uris=()
        while read -r line; do
            uris+=("$line")
        done < <(sed -n 's/^deb \(\[[^]]*\] \)\{0,1\}\([^ ]*\) bookworm .*/\2/p' /etc/apt/sources.list)
        if [[ ${#uris[@]} -gt 0 ]]; then
            entries+="Types: deb-src"$'\n'"URIs: ${uris[*]}"$'\n'"Suites: bookworm"$'\n'"Components: main"$'\n'
        fi
    fi
    [[ -n "$entries" ]] || { echo "no Debian bookworm entries to derive source entries from" >&2; exit 1; }
    echo "Adding Debian source entries: $source_list"
    printf '%s' "$entries" | $sudo tee "$source_list" >/dev/null
    $sudo apt-get update -qq
}
for group in "${@:-build}"; do
    if [[ "$group" == windows ]]; then
        enable_debian_sources
    fi
done

missing=()
for package in "${packages[@]}"; do
    if ! dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "install ok installed"; then
        missing+=("$package")
    fi
done
[[ ${#missing[@]} -eq 0 ]] && exit 0

echo "Installing: ${missing[*]}"
$sudo apt-get update -qq
DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
