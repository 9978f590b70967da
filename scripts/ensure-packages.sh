#!/usr/bin/env bash
# Installs the Debian packages that building and testing Kelvara need, and
# only those that are missing. Runs apt-get through sudo when not root.
set -euo pipefail

packages=(
    build-essential
    cmake
    ninja-build
    clang-format
    clang
    libclang-rt-14-dev
    libx11-dev
    libgtest-dev
    libcli11-dev
    nlohmann-json3-dev
    zlib1g-dev
    pkg-config
    libplplot-dev
    plplot-driver-cairo
    python3
    pybind11-dev
    python3-pybind11
    python3-pytest
    python3-numpy
    python3-pandas
    libwxgtk3.2-dev
    xvfb
    xauth
    desktop-file-utils
    parallel
)

is_installed() {
    dpkg -s "$1" 2>/dev/null | grep -q '^Status: install ok installed'
}

missing=()
for package in "${packages[@]}"; do
    is_installed "$package" || missing+=("$package")
done
if ((${#missing[@]} == 0)); then
    exit 0
fi

if ! command -v apt-get >/dev/null 2>&1; then
    echo "These packages are missing and there is no apt-get to install them: ${missing[*]}" >&2
    exit 1
fi

as_root() {
    if [[ $(id -u) -eq 0 ]]; then
        env DEBIAN_FRONTEND=noninteractive "$@"
    elif command -v sudo >/dev/null 2>&1; then
        sudo env DEBIAN_FRONTEND=noninteractive "$@"
    else
        echo "Installing ${missing[*]} needs root, and sudo is not available." >&2
        exit 1
    fi
}

echo "Installing: ${missing[*]}"
as_root apt-get update
as_root apt-get install -y --no-install-recommends "${missing[@]}"
