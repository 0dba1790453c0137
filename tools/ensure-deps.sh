#!/usr/bin/env bash
# Installs the Debian packages that building, running and testing HTML Vesk
# need, when they are missing. Sourced by run.sh and test.sh.
#
#   vesk_ensure_packages pkg…   installs the missing ones (as root with
#                               apt-get; otherwise prints the one install line
#                               and fails)

vesk_missing_packages() {
    local missing=() p
    for p in "$@"; do
        if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
            missing+=("$p")
        fi
    done
    echo "${missing[@]}"
}

vesk_ensure_packages() {
    local missing
    missing=$(vesk_missing_packages "$@")
    [ -z "$missing" ] && return 0
    if [ "$(id -u)" -eq 0 ]; then
        echo "Installing: $missing"
        export DEBIAN_FRONTEND=noninteractive
        # On a fresh machine the package lists may be empty.
        apt-get update -q || return 1
        # shellcheck disable=SC2086
        apt-get install -y -q --no-install-recommends $missing || return 1
    else
        echo "HTML Vesk needs these Debian packages. Install them with:" >&2
        echo "  sudo apt-get install $missing" >&2
        return 1
    fi
}

# What every build needs.
VESK_BUILD_PACKAGES=(g++ cmake ninja-build pkg-config qt6-base-dev qt6-qpa-plugins libgl-dev libssl-dev
                     libgtest-dev libgmock-dev libbenchmark-dev
                     fonts-dejavu-core ccache wamerican mythes-en-us scowl libsecret-1-dev)

# ccache keys on paths relative to the source tree, so every clone of the
# project (CI's clean clone included) shares one cache.
vesk_ccache_env() {
    export CCACHE_BASEDIR="$1"
    export CCACHE_NOHASHDIR=1
    export CCACHE_MAXSIZE="${CCACHE_MAXSIZE:-5G}"
}
# What bench/compare_spellers.sh runs beside our checker (not needed by tests).
VESK_BENCH_SPELL_PACKAGES=(hunspell hunspell-en-us aspell aspell-en)
# What the tests need on top (real processes, servers the tests start).
# desktop-file-utils and man-db check the installed desktop entry and manual page;
# xdg-utils (xdg-mime) reads back the desktop associations the preferences set;
# poppler-utils reads back what the printing tests print to PDF files;
# xvfb is the private X server of the tests that need a real drag and drop;
# openssl makes the TLS tests' certificates;
# the keyring test runs in a private bus (dbus-daemon, dbus-bin) with its own
# gnome-keyring.
VESK_TEST_PACKAGES=(python3 python3-pyftpdlib openssl util-linux procps w3c-sgml-lib
                    microsocks dante-server netbase vsftpd curl desktop-file-utils man-db
                    xdg-utils poppler-utils xvfb dbus-daemon dbus-bin gnome-keyring)
