# Shared steps of the run and test commands: packages, build, Wine prefix.
# Sourced, not run. BUILD_DIR chooses the build folder (default: build).

repo=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
build=$(realpath -m "${BUILD_DIR:-$repo/build}")
prefix="$build/wineprefix"

packages=(cmake make python3 g++-mingw-w64-i686-posix googletest
          wine wine32:i386 xvfb xauth fonts-noto-cjk fonts-wine locales-all
          imagemagick xdotool)

ensure_packages() {
    local missing=() p
    for p in "${packages[@]}"; do
        dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'ok installed' || missing+=("$p")
    done
    (( ${#missing[@]} == 0 )) && return 0
    echo "Installing: ${missing[*]}"
    if ! dpkg --print-foreign-architectures | grep -qx i386; then
        dpkg --add-architecture i386
    fi
    apt-get update -qq
    DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
}

build_all() {
    # Configured every time: a narrowed build would otherwise run make on a
    # stale Makefile that does not know new targets yet.
    cmake -S "$repo" -B "$build" -DCMAKE_TOOLCHAIN_FILE="$repo/cmake/mingw-i686.cmake" \
          -DCMAKE_BUILD_TYPE=Release >/dev/null
    # BUILD_TARGETS (space-separated) narrows the build to some targets.
    local targets=() t
    for t in ${BUILD_TARGETS:-}; do targets+=(--target "$t"); done
    cmake --build "$build" -j "$(nproc)" "${targets[@]}" -- --no-print-directory
}

wine_env() {
    export WINEPREFIX=$prefix WINEARCH=win32 WINEDEBUG=-all
    export LANG=ja_JP.UTF-8 LC_ALL=ja_JP.UTF-8
}

# SIMCD_MODE chooses what the device type "cdaudio" plays: sim (default) the
# simulated drives, real Wine's own driver for real CD-ROM drives. At run time
# `simcd register` / `simcd unregister` switch the same way.
prepare_prefix() {
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
