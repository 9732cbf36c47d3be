#!/usr/bin/env bash
# Installs what building, running and testing the configurator need (Debian 12).
# clang-14 and libclang-rt-14-dev (libFuzzer and the sanitizer runtimes) build
# the fuzz harnesses only (tools/fuzz.sh); the program builds with g++.
# clang-format-14 checks the layout of the sources (tools/format.sh).
# poppler-utils (pdftotext) lets the tests read the service report's text.
# qttranslations5-l10n and qt6-translations-l10n: Qt's own dialogs in Russian.
# Qt 5 and Qt 6 both: the program builds with either (-DQT_VERSION_MAJOR).
set -euo pipefail
export DEBIAN_FRONTEND=noninteractive
apt-get update
apt-get install -y --no-install-recommends \
    build-essential cmake \
    qtbase5-dev libqt5serialport5-dev qttools5-dev qttools5-dev-tools qttranslations5-l10n \
    socat mbpoll poppler-utils \
    libqt5sql5-sqlite libqt5sql5-psql postgresql \
    qt6-base-dev qt6-serialport-dev qt6-tools-dev qt6-tools-dev-tools qt6-l10n-tools qt6-translations-l10n \
    libqt6sql6-sqlite libqt6sql6-psql libgl-dev \
    clang-14 libclang-rt-14-dev clang-format-14
