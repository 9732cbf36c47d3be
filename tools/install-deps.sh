#!/usr/bin/env bash
# Installs what building, running and testing the configurator need (Debian 12).
# clang-14 and libclang-rt-14-dev (libFuzzer and the sanitizer runtimes) build
# the fuzz harnesses only (tools/fuzz.sh); the program builds with g++.
# clang-format-14 checks the layout of the sources (tools/format.sh).
# poppler-utils (pdftotext) lets the tests read the service report's text.
# libsystemd-dev: the collector tells systemd it is ready and alive (Type=notify).
# qttranslations5-l10n and qt6-translations-l10n: Qt's own dialogs in Russian.
# Qt 5 and Qt 6 both: the program builds with either (-DQT_VERSION_MAJOR).
#
# Run it as root or as a user with sudo: as anyone else it asks sudo for root
# itself, so the README's first command works as typed either way.
set -euo pipefail
if [ "$(id -u)" -ne 0 ]; then
    self=$(readlink -f "$0")
    if command -v sudo >/dev/null 2>&1; then
        echo "install-deps: not root, asking sudo" >&2
        sudo "$self" "$@" && exit 0
        echo "install-deps: did not finish under sudo (see above). Where sudo is not allowed" >&2
        echo "  for you, run it as root: su -c '$self', then tools/build.sh && tools/demo.sh" >&2
        echo "  as yourself." >&2
        exit 1
    fi
    echo "install-deps: installing packages needs root, and sudo is not installed." >&2
    echo "  Run it as root: su -c '$self', then tools/build.sh && tools/demo.sh as yourself." >&2
    exit 1
fi
export DEBIAN_FRONTEND=noninteractive
apt-get update
apt-get install -y --no-install-recommends \
    build-essential cmake \
    qtbase5-dev libqt5serialport5-dev qttools5-dev qttools5-dev-tools qttranslations5-l10n \
    socat mbpoll poppler-utils faketime \
    libqt5sql5-sqlite libqt5sql5-psql postgresql openssl libsystemd-dev \
    qt6-base-dev qt6-serialport-dev qt6-tools-dev qt6-tools-dev-tools qt6-l10n-tools qt6-translations-l10n \
    libqt6sql6-sqlite libqt6sql6-psql libgl-dev \
    clang-14 libclang-rt-14-dev clang-format-14
