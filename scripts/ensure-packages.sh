#!/usr/bin/env bash
# Installs the Debian packages the build needs, when they are missing.
# Usage: scripts/ensure-packages.sh [extra-package...]
set -euo pipefail

packages=(
    cmake ninja-build g++ pkg-config git
    libgtest-dev libgmock-dev libbenchmark-dev
    libsqlite3-dev libcli11-dev nlohmann-json3-dev libicu-dev
    qt6-base-dev fonts-dejavu-core
    # The fuzz targets: clang and the runtime that holds libFuzzer.
    clang libclang-rt-14-dev
    # The Windows deliverables, 32-bit: mingw-w64 for i686 (posix threads,
    # linked statically), widl and wine's IDL files; and for their tests
    # Debian's 32-bit Wine, a package of the i386 architecture beside the
    # machine's own (multiarch, added below), with a virtual display.
    g++-mingw-w64-i686-posix mingw-w64-tools libwine-dev
    wine32:i386 xvfb xauth
    "$@"
)

installed() {
    dpkg-query -W -f='${Status}' "$1" 2>/dev/null | grep -q "install ok installed"
}

missing=()
for package in "${packages[@]}"; do
    installed "$package" || missing+=("$package")
done

if [ ${#missing[@]} -gt 0 ]; then
    echo "Installing: ${missing[*]}"
    sudo_cmd=()
    [ "$(id -u)" -ne 0 ] && sudo_cmd=(sudo)
    # A package of a foreign architecture needs that architecture known to
    # dpkg before the package lists are read.
    for package in "${missing[@]}"; do
        architecture="${package##*:}"
        [ "$architecture" != "$package" ] || continue
        if [ "$architecture" != "$(dpkg --print-architecture)" ] &&
            ! dpkg --print-foreign-architectures | grep -qx "$architecture"; then
            "${sudo_cmd[@]}" dpkg --add-architecture "$architecture"
        fi
    done
    "${sudo_cmd[@]}" apt-get update -qq
    DEBIAN_FRONTEND=noninteractive "${sudo_cmd[@]}" apt-get install -y -qq --no-install-recommends \
        "${missing[@]}"
fi
