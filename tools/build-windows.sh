#!/usr/bin/env bash
# Cross-builds the configurator for 64-bit Windows on Debian 12 and packs it:
#   tools/build-windows.sh [BUILD_DIR]        (default: build-win)
#
# 1. Installs MinGW-w64, Wine and what the Qt build needs (Debian packages).
# 2. Builds a static Qt 5 for Windows once into a cache outside the tree
#    (METER_WIN_CACHE, default /var/cache/meter-win): qtbase from Debian's
#    source package, with SQLite built in, then the Qt Serial Port vendored in
#    third_party/ with the patch beside it. A stamp (the code of the build
#    steps below, the patch, the source versions) decides whether the cache is
#    still good; anything else rebuilds it. About 33 minutes of CPU time.
# 3. Cross-builds the program and its tests into BUILD_DIR.
# 4. Writes dist/configurator-<version>-win64.zip.
# METER_WIN_PROGRAM_NICE, when set, is the nice value steps 3 and 4 run at, set
# for the whole session (CI starts this script in a session of its own).
set -euo pipefail

root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
build=${1:-$root/build-win}
mkdir -p "$build"
build=$(cd "$build" && pwd)
cache=${METER_WIN_CACHE:-/var/cache/meter-win}
qt=$cache/qt
jobs=$(nproc)
export DEBIAN_FRONTEND=noninteractive

log() { printf 'build-windows: %s\n' "$*" >&2; }
elapsed() { local s=$(( $(date +%s) - $1 )); printf '%dm%02ds' $((s / 60)) $((s % 60)); }

packages=(
    g++-mingw-w64-x86-64-posix mingw-w64-tools
    wine64 wine
    dpkg-dev xz-utils patch zip perl python3 tcl
    build-essential cmake
    qtbase5-dev-tools qttools5-dev-tools qttools5-dev
    # Qt's own Russian catalogue, embedded into the program by the build
    qttranslations5-l10n
    # tools/test-windows.sh: the stand-in built natively, its line, the zip
    qtbase5-dev libqt5serialport5-dev socat unzip xvfb xauth
    # tools/test-windows.sh: wrestool lists the icon and version resources
    icoutils
    # tools/test-windows.sh: the collector in a Russian console
    locales
)

install_packages() {
    local missing=() p
    for p in "${packages[@]}"; do
        dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'ok installed' || missing+=("$p")
    done
    if [ ${#missing[@]} -gt 0 ]; then
        log "installing ${missing[*]}"
        apt-get update -qq
        apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
    fi
}

# apt-get source needs the deb-src entries, which Debian's images leave out.
enable_deb_src() {
    if apt-cache showsrc qtbase-opensource-src 2>/dev/null | grep -q '^Version:'; then
        return
    fi
    log "enabling deb-src entries for apt-get source"
    local f
    for f in /etc/apt/sources.list.d/*.sources; do
        [ -f "$f" ] || continue
        grep -q 'debian' "$f" || continue
        sed -i -E 's/^Types:[[:space:]]*deb[[:space:]]*$/Types: deb deb-src/' "$f"
    done
    if [ -f /etc/apt/sources.list ]; then
        sed -n -E 's/^deb[[:space:]]+(.*debian.*)$/deb-src \1/p' /etc/apt/sources.list \
            >/etc/apt/sources.list.d/meter-win-deb-src.list
    fi
    apt-get update -qq
}

source_version() {
    apt-cache showsrc --only-source "$1" | awk '/^Version:/ { print $2 }' | sort -V | tail -n 1
}

# Only what the program and its tests use: Core, Gui (with the PDF writer of
# the service report), Widgets, Network (TCP), Sql with SQLite, Test, and the
# windows and offscreen platforms. Printing (Qt Print Support), Qt Concurrent,
# Qt Xml, Qt D-Bus, OpenGL, the graphics view, HTTP, MIME types, the CJK
# codecs and the image format plugins are not built: none of them is used, and
# leaving them out takes minutes off the first build. A class from them that
# the program starts to use fails the Windows build, and gets its feature back
# here. Debian's +dfsg source has no wintab header (no tablet events) and no
# bundled SQLite (added below). There is no PostgreSQL client library for
# MinGW among Debian's packages, so the PostgreSQL driver is left out.
qt_configure_args=(
    -xplatform win32-g++ -device-option CROSS_COMPILE=x86_64-w64-mingw32-
    -opensource -confirm-license -release -static -static-runtime
    -nomake examples -nomake tests -no-opengl
    -qt-zlib -qt-libpng -qt-pcre -qt-freetype -qt-harfbuzz -no-libjpeg
    -no-dbus -no-icu -no-fontconfig -no-openssl
    -sql-sqlite -qt-sqlite
    -no-sql-psql -no-sql-mysql -no-sql-odbc -no-sql-db2 -no-sql-ibase -no-sql-oci -no-sql-tds -no-sql-sqlite2
    -no-feature-tabletevent -no-feature-direct2d
    # Modules not used.
    -no-feature-printer -no-feature-concurrent -no-feature-xml
    # Parts of the modules built that are not used.
    -no-feature-graphicsview -no-feature-columnview -no-feature-sqlmodel
    -no-feature-statemachine -no-feature-undocommand -no-feature-undostack -no-feature-undogroup
    -no-feature-undoview -no-feature-mdiarea -no-feature-wizard -no-feature-colordialog
    -no-feature-fontdialog -no-feature-dial -no-feature-lcdnumber -no-feature-keysequenceedit
    -no-feature-splashscreen -no-feature-fontcombobox -no-feature-commandlinkbutton
    -no-feature-systemtrayicon -no-feature-sessionmanager
    -no-feature-textodfwriter -no-feature-textmarkdownreader -no-feature-textmarkdownwriter
    -no-feature-movie -no-feature-gif -no-feature-ico -no-feature-vulkan
    -no-feature-mimetype -no-feature-big_codecs
    -no-feature-bearermanagement -no-feature-ftp -no-feature-http -no-feature-networkdiskcache
    -no-feature-dnslookup -no-feature-localserver
)

# The SQLite amalgamation, generated from Debian's sqlite3 source into DIR.
make_sqlite_amalgamation() {
    local dir=$1 work
    work=$(mktemp -d "$cache/sqlite.XXXXXX")
    (
        cd "$work"
        apt-get source -qq --download-only sqlite3 >/dev/null 2>&1
        tar xf sqlite3_*.orig.tar.xz
        mkdir bld && cd bld
        ../sqlite3-*/configure --disable-tcl >configure.log 2>&1
        make sqlite3.c >make.log 2>&1
        mkdir -p "$dir"
        cp sqlite3.c sqlite3.h sqlite3ext.h "$dir/"
    )
    rm -rf "$work"
}

build_qtbase() {
    rm -rf "$qt" "$cache/work"
    mkdir -p "$cache/work"
    cd "$cache/work"
    apt-get source -qq qtbase-opensource-src >apt-source.log 2>&1
    local src
    src=$(find . -maxdepth 1 -type d -name 'qtbase-opensource-src-*' | head -n 1)
    make_sqlite_amalgamation "$cache/work/$src/src/3rdparty/sqlite"
    # -O1 instead of -O2/-O3 takes about a third off the build; a serial-line
    # configurator does not feel the difference.
    sed -i -E 's/^(QMAKE_CFLAGS_OPTIMIZE(_FULL)?[[:space:]]*=).*/\1 -O1/' "$src/mkspecs/common/gcc-base.conf"
    mkdir build && cd build
    "../$src/configure" -prefix "$qt" "${qt_configure_args[@]}" >configure.log 2>&1 \
        || { tail -n 40 configure.log >&2; return 1; }
    make -j"$jobs" >make.log 2>&1 || { tail -n 60 make.log >&2; return 1; }
    make install >install.log 2>&1
    # The licenses travel with the program: Qt's own and those of the
    # libraries built into it.
    mkdir -p "$qt/licenses/qtbase"
    (cd "../$src" && cp LICENSE.* "$qt/licenses/qtbase/" \
        && find src/3rdparty -maxdepth 2 \( -iname 'LICENSE*' -o -iname 'COPYING*' \
                -o -name 'qt_attribution.json' \) -print0 \
            | xargs -0 cp --parents -t "$qt/licenses/qtbase/")
    echo "SQLite $(source_version sqlite3 | cut -d- -f1), built into the Qt SQL driver, is in the public domain." \
        >"$qt/licenses/qtbase/SQLITE.txt"
    cd "$cache" && rm -rf "$cache/work"
}

build_qtserialport() {
    rm -rf "$cache/work-serialport"
    cp -a "$root/third_party/qtserialport" "$cache/work-serialport"
    cd "$cache/work-serialport"
    local p
    for p in "$root"/third_party/qtserialport-patches/*.patch; do
        [ -f "$p" ] || continue
        patch -p1 --quiet <"$p"
    done
    # A git archive has no generated include/ folder (syncqt makes it) and no
    # tests, so no tests of its CMake files either.
    perl "$qt/bin/syncqt.pl" -version "$(sed -n 's/^MODULE_VERSION = //p' .qmake.conf)" \
        -outdir "$PWD" "$PWD" >syncqt.log 2>&1
    "$qt/bin/qmake" CMAKE_MODULE_TESTS=- >qmake.log 2>&1
    make -j"$jobs" >make.log 2>&1 || { tail -n 60 make.log >&2; return 1; }
    make install >install.log 2>&1
    mkdir -p "$qt/licenses/qtserialport"
    cp LICENSE.* "$qt/licenses/qtserialport/"
    cd "$cache" && rm -rf "$cache/work-serialport"
}

tree_hash() {
    (cd "$root" && find "$@" -type f -print0 | sort -z | xargs -0 sha256sum) | sha256sum | cut -d' ' -f1
}

ensure_qt() {
    mkdir -p "$cache"
    enable_deb_src
    local qtbase_stamp serial_stamp t
    qtbase_stamp=$( {
        declare -f build_qtbase make_sqlite_amalgamation
        printf '%s\n' "${qt_configure_args[@]}"
        source_version qtbase-opensource-src
        source_version sqlite3
        dpkg-query -W -f='${Version}\n' g++-mingw-w64-x86-64-posix
    } | sha256sum | cut -d' ' -f1)
    serial_stamp=$( {
        echo "$qtbase_stamp"
        declare -f build_qtserialport
        tree_hash third_party/qtserialport third_party/qtserialport-patches
    } | sha256sum | cut -d' ' -f1)

    if [ "$(cat "$qt/.stamp-qtbase" 2>/dev/null)" != "$qtbase_stamp" ]; then
        log "building qtbase for Windows into $qt (about 33 minutes of CPU time)"
        t=$(date +%s)
        build_qtbase
        echo "$qtbase_stamp" >"$qt/.stamp-qtbase"
        log "qtbase built in $(elapsed "$t")"
    else
        log "qtbase: cache in $qt is current"
    fi
    if [ "$(cat "$qt/.stamp-serialport" 2>/dev/null)" != "$serial_stamp" ]; then
        log "building Qt Serial Port for Windows"
        t=$(date +%s)
        rm -f "$qt/.stamp-serialport"
        build_qtserialport
        echo "$serial_stamp" >"$qt/.stamp-serialport"
        log "Qt Serial Port built in $(elapsed "$t")"
    else
        log "Qt Serial Port: cache is current"
    fi
}

write_toolchain() {
    cat >"$build/mingw-toolchain.cmake" <<EOF
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(CMAKE_C_COMPILER x86_64-w64-mingw32-gcc-posix)
set(CMAKE_CXX_COMPILER x86_64-w64-mingw32-g++-posix)
set(CMAKE_RC_COMPILER x86_64-w64-mingw32-windres)
set(CMAKE_FIND_ROOT_PATH /usr/x86_64-w64-mingw32 $qt)
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
# One self-contained exe: the C++ runtime and winpthread linked in.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static")
EOF
}

build_project() {
    write_toolchain
    # Qt's host tools (moc, uic, rcc) come with the cross-built Qt; Debian's
    # lrelease 5.15 compiles the translation the same for any target. The
    # Windows program is built with Qt 5 (the static cache above), without
    # precompiled headers: each file is built with only what it includes.
    cmake -S "$root" -B "$build" \
        -DCMAKE_TOOLCHAIN_FILE="$build/mingw-toolchain.cmake" \
        -DCMAKE_BUILD_TYPE=Release \
        -DMETER_PCH=OFF \
        -DQT_VERSION_MAJOR=5 \
        -DCMAKE_PREFIX_PATH="$qt" \
        -DQt5_DIR="$qt/lib/cmake/Qt5" \
        -DQt5LinguistTools_DIR=/usr/lib/x86_64-linux-gnu/cmake/Qt5LinguistTools \
        >"$build/cmake-configure.log" 2>&1 || { tail -n 40 "$build/cmake-configure.log" >&2; return 1; }
    cmake --build "$build" -j"$jobs" >"$build/cmake-build.log" 2>&1 \
        || { grep -E -m 20 -B2 -A6 'error|Error' "$build/cmake-build.log" >&2; return 1; }
}

project_version() {
    sed -n -E 's/^project\([^)]*VERSION ([0-9.]+).*/\1/p' "$root/CMakeLists.txt"
}

make_package() {
    local version name stage zip
    version=$(project_version)
    name=configurator-$version-win64
    stage=$build/package/$name
    zip=$root/dist/$name.zip
    rm -rf "$build/package" && mkdir -p "$stage/licenses" "$root/dist"
    x86_64-w64-mingw32-strip -o "$stage/configurator.exe" "$build/configurator.exe"
    x86_64-w64-mingw32-strip -o "$stage/configurator-collect.exe" "$build/configurator-collect.exe"
    cp "$root/models_counter.csv" "$stage/"
    # Notepad on older Windows wants CR LF.
    sed 's/$/\r/' "$root/docs/README-windows.txt" >"$stage/README.txt"
    cp -r "$qt/licenses/." "$stage/licenses/"
    rm -f "$zip"
    (cd "$build/package" && zip -q -r -9 "$zip" "$name")
    log "package: $zip ($(du -k "$zip" | cut -f1) KiB)"
}

main() {
    local t0 t
    t0=$(date +%s)
    install_packages
    ensure_qt
    # CI builds the program beside its suites at the lowest priority, so that
    # it takes only the cores they leave idle. Whatever this shell starts from
    # now on inherits its nice value; between sessions the kernel goes by the
    # session's (its autogroup's), which CI gives this build a session for.
    if [ -n "${METER_WIN_PROGRAM_NICE:-}" ]; then
        renice -n "$METER_WIN_PROGRAM_NICE" -p $$ >/dev/null
        { echo "$METER_WIN_PROGRAM_NICE" >"/proc/$$/autogroup"; } 2>/dev/null || true
    fi
    t=$(date +%s)
    build_project
    log "program and tests built in $(elapsed "$t")"
    # Only system DLLs: the exe runs from the unpacked folder as it is.
    local dlls
    dlls=$(x86_64-w64-mingw32-objdump -p "$build/configurator.exe" | sed -n 's/^\s*DLL Name: //p' | sort -u | tr '\n' ' ')
    log "configurator.exe imports: $dlls"
    if grep -qiE 'Qt[56]|libstdc|libgcc|libwinpthread' <<<"$dlls"; then
        log "configurator.exe needs DLLs that Windows does not have"
        return 1
    fi
    make_package
    log "total $(elapsed "$t0")"
}

main "$@"
