# Shared steps of the run, test and package commands: packages, build, Wine
# prefix.
# Sourced, not run. BUILD_DIR chooses the build folder (default: build).

repo=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
build=$(realpath -m "${BUILD_DIR:-$repo/build}")
prefix="$build/wineprefix"

# The program is a 32-bit Windows program and is built and tested as one
# wherever the machine runs 32-bit code. Some virtual machines run no 32-bit
# code at all, and 32-bit Wine with them: there the build and the tests use
# the same sources compiled for 64-bit Windows under 64-bit Wine.
# ONDALUX_ARCH (i686 or x86_64) overrides the choice.
runs_32bit_code() {
    local probe
    probe=$(mktemp) || return 1
    # A minimal static i386 Linux program that exits with status 0.
    printf '\x7fELF\x01\x01\x01\x00\x00\x00\x00\x00\x00\x00\x00\x00\x02\x00\x03\x00\x01\x00\x00\x00\x54\x80\x04\x08\x34\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x34\x00\x20\x00\x01\x00\x00\x00\x00\x00\x00\x00\x01\x00\x00\x00\x00\x00\x00\x00\x00\x80\x04\x08\x00\x80\x04\x08\x60\x00\x00\x00\x60\x00\x00\x00\x05\x00\x00\x00\x00\x10\x00\x00\xb8\x01\x00\x00\x00\x31\xdb\xcd\x80\x90\x90\x90' > "$probe"
    chmod +x "$probe"
    "$probe" 2>/dev/null
    local status=$?
    rm -f "$probe"
    return $status
}
if [[ -z ${ONDALUX_ARCH:-} ]]; then
    if runs_32bit_code; then ONDALUX_ARCH=i686; else ONDALUX_ARCH=x86_64; fi
fi
case $ONDALUX_ARCH in
    i686) arch_packages=(g++-mingw-w64-i686-posix wine wine32:i386) winearch=win32 ;;
    x86_64) arch_packages=(g++-mingw-w64-x86-64-posix wine wine64) winearch=win64 ;;
    *) echo "ONDALUX_ARCH is i686 or x86_64, not $ONDALUX_ARCH" >&2; exit 2 ;;
esac

# fp-utils: chmcmd, which compiles the help file, and chmls, which reads it.
packages=(cmake make python3 googletest fp-utils clang-format "${arch_packages[@]}"
          xvfb xauth fonts-noto-cjk fonts-wine locales-all imagemagick xdotool)

ensure_packages() {
    local missing=() p
    for p in "${packages[@]}"; do
        dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'ok installed' || missing+=("$p")
    done
    (( ${#missing[@]} == 0 )) && return 0
    echo "Installing: ${missing[*]}"
    if ! dpkg --print-foreign-architectures | grep -qx i386; then
        [[ $ONDALUX_ARCH == i686 ]] && dpkg --add-architecture i386
    fi
    apt-get update -qq
    DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
}

build_all() {
    # Configured every time: a narrowed build would otherwise run make on a
    # stale Makefile that does not know new targets yet.
    local toolchain="$repo/cmake/mingw-$ONDALUX_ARCH.cmake"
    # A build folder configured for the other architecture starts afresh.
    if ! grep -qs "CMAKE_TOOLCHAIN_FILE:[A-Z]*=$toolchain\$" "$build/CMakeCache.txt"; then
        rm -rf "$build/CMakeCache.txt" "$build/CMakeFiles"
    fi
    cmake -S "$repo" -B "$build" -DCMAKE_TOOLCHAIN_FILE="$toolchain" \
          -DCMAKE_BUILD_TYPE=Release >/dev/null
    # BUILD_TARGETS (space-separated) narrows the build to some targets.
    local targets=() t
    for t in ${BUILD_TARGETS:-}; do targets+=(--target "$t"); done
    cmake --build "$build" -j "$(nproc)" "${targets[@]}" -- --no-print-directory
}

wine_env() {
    export WINEPREFIX=$prefix WINEARCH=$winearch WINEDEBUG=-all
    if [[ $ONDALUX_ARCH == x86_64 ]]; then
        # Debian's `wine` starts 32-bit Wine whenever wine32 is installed,
        # even where it cannot run: `wine` here is 64-bit Wine.
        mkdir -p "$build/wine64-bin"
        printf '#!/bin/sh\nexec /usr/lib/wine/wine64 "$@"\n' > "$build/wine64-bin/wine"
        chmod +x "$build/wine64-bin/wine"
        export PATH="$build/wine64-bin:$PATH" WINELOADER=/usr/lib/wine/wine64
    fi
    export LANG=ja_JP.UTF-8 LC_ALL=ja_JP.UTF-8
}

# SIMCD_MODE chooses what the device type "cdaudio" plays: sim (default) the
# simulated drives, real Wine's own driver for real CD-ROM drives. At run time
# `simcd register` / `simcd unregister` switch the same way.
prepare_prefix() {
    wine_env
    local driver="$build/simcd/simcdaudio.dll"
    if [[ -f $driver ]]; then
        "$repo/scripts/wineprefix.sh" "$prefix" "$driver" "${SIMCD_MODE:-sim}"
    else
        "$repo/scripts/wineprefix.sh" "$prefix"
    fi
}

# Runs a command on a virtual display inside one Wine session.
in_virtual_session() {
    xvfb-run -a -s "-screen 0 1280x1024x24" "$repo/scripts/wine-session.sh" "$@"
}
