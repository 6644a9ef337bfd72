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
    # A real directory for the mailbox walk: Samba as an Active Directory
    # domain controller, its database tools, OpenLDAP's client library and
    # its command-line tools.
    samba samba-ad-provision samba-dsdb-modules samba-vfs-modules ldb-tools ldap-utils libldap-dev
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
    # Packages with services (Samba's) are installed without starting them:
    # the tests start their own servers and end them.
    no_services=
    if [ ! -e /usr/sbin/policy-rc.d ]; then
        printf '#!/bin/sh\nexit 101\n' | "${sudo_cmd[@]}" tee /usr/sbin/policy-rc.d >/dev/null
        "${sudo_cmd[@]}" chmod 755 /usr/sbin/policy-rc.d
        no_services=1
    fi
    status=0
    DEBIAN_FRONTEND=noninteractive "${sudo_cmd[@]}" apt-get install -y -qq --no-install-recommends \
        "${missing[@]}" || status=$?
    [ -z "$no_services" ] || "${sudo_cmd[@]}" rm -f /usr/sbin/policy-rc.d
    [ "$status" = 0 ] || exit "$status"
fi
