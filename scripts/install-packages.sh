#!/usr/bin/env bash
# Installs the Debian packages the build needs, skipping those present.
# Runs as root on a Debian 12 machine.
set -euo pipefail

packages=(
    cmake make g++ clang-format clang-14 libclang-rt-14-dev
    libgtest-dev libgmock-dev libbenchmark-dev
    g++-mingw-w64-x86-64-posix g++-mingw-w64-i686-posix binutils-mingw-w64-x86-64 binutils-mingw-w64-i686
    googletest wine64
    pkg-config libcli11-dev nlohmann-json3-dev libcairo2-dev
    xvfb fonts-wine fonts-liberation
)

missing=()
for package in "${packages[@]}"; do
    if ! dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q 'install ok installed'; then
        missing+=("$package")
    fi
done

if [ ${#missing[@]} -gt 0 ]; then
    echo "Installing: ${missing[*]}"
    export DEBIAN_FRONTEND=noninteractive
    apt-get update -q
    apt-get install -y -q --no-install-recommends "${missing[@]}"
fi
