# Shared steps of the run, test and package commands: packages, builds, Wine
# and its prefixes, the 32-bit suites.
# Sourced, not run. BUILD_DIR chooses the main build folder (default: build).

repo=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
build=$(realpath -m "${BUILD_DIR:-$repo/build}")
# The 32-bit build beside a 64-bit main build, and the one package.sh ships.
build_win32=$(realpath -m "${PACKAGE_BUILD_DIR:-$repo/build-win32}")
# The 64-bit build beside a 32-bit main build: compiled only.
build_win64="$repo/build-win64"

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

# The program is a 32-bit Windows program. Where the machine runs 32-bit code,
# Debian's 32-bit Wine runs it. Some virtual machines run no 32-bit code at
# all: there the same 32-bit Wine runs under user-mode emulation
# (scripts/wine32-emulated.sh), about three times slower, and the main build
# is the 64-bit one of the same sources under 64-bit Wine.
# ONDALUX_WINE32=emulated takes the emulator on any machine (the path of
# machines without 32-bit code, tried on one with it); ONDALUX_WINE32=native
# insists on native 32-bit Wine. ONDALUX_ARCH (i686 or x86_64) chooses the
# main build by hand.
if [[ -z ${ONDALUX_WINE32:-} ]]; then
    if runs_32bit_code; then ONDALUX_WINE32=native; else ONDALUX_WINE32=emulated; fi
fi
case $ONDALUX_WINE32 in
    native | emulated) ;;
    *) echo "ONDALUX_WINE32 is native or emulated, not $ONDALUX_WINE32" >&2; exit 2 ;;
esac
if [[ -z ${ONDALUX_ARCH:-} ]]; then
    if [[ $ONDALUX_WINE32 == native ]]; then ONDALUX_ARCH=i686; else ONDALUX_ARCH=x86_64; fi
fi
case $ONDALUX_ARCH in
    i686 | x86_64) ;;
    *) echo "ONDALUX_ARCH is i686 or x86_64, not $ONDALUX_ARCH" >&2; exit 2 ;;
esac

# Both compilers: the test command builds both programs. The emulated 32-bit
# Wine needs the native wine64 package (its wineserver) and downloads the rest
# itself.
wine_packages=(wine)
[[ $ONDALUX_WINE32 == native ]] && wine_packages+=(wine32:i386)
[[ $ONDALUX_WINE32 == emulated || $ONDALUX_ARCH == x86_64 ]] && wine_packages+=(wine64)
# fp-utils: chmcmd, which compiles the help file, and chmls, which reads it.
packages=(cmake make python3 googletest fp-utils clang-format g++-mingw-w64-i686-posix g++-mingw-w64-x86-64-posix
          "${wine_packages[@]}" xvfb xauth fonts-noto-cjk fonts-wine locales-all imagemagick xdotool)

ensure_packages() {
    local missing=() p
    for p in "${packages[@]}"; do
        dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'ok installed' || missing+=("$p")
    done
    (( ${#missing[@]} == 0 )) && return 0
    echo "Installing: ${missing[*]}"
    if [[ " ${missing[*]} " == *:i386* ]] && ! dpkg --print-foreign-architectures | grep -qx i386; then
        dpkg --add-architecture i386
    fi
    # Other builds on the machine may be installing at the same time.
    apt-get -o DPkg::Lock::Timeout=600 update -qq
    DEBIAN_FRONTEND=noninteractive apt-get -o DPkg::Lock::Timeout=600 install -y -qq --no-install-recommends \
        "${missing[@]}" >/dev/null
}

# Configures and builds one build folder for an architecture:
#   build_in DIR i686|x86_64 [CMAKE_ARGS...]
# Configured every time: a narrowed build would otherwise run make on a stale
# Makefile that does not know new targets yet. BUILD_TARGETS (space-separated)
# narrows the build to some targets.
build_in() {
    local dir=$1 arch=$2
    shift 2
    local toolchain="$repo/cmake/mingw-$arch.cmake"
    # A build folder configured for the other architecture starts afresh.
    if ! grep -qs "CMAKE_TOOLCHAIN_FILE:[A-Z]*=$toolchain\$" "$dir/CMakeCache.txt"; then
        rm -rf "$dir/CMakeCache.txt" "$dir/CMakeFiles"
    fi
    cmake -S "$repo" -B "$dir" -DCMAKE_TOOLCHAIN_FILE="$toolchain" -DCMAKE_BUILD_TYPE=Release "$@" >/dev/null
    local targets=() t
    for t in ${BUILD_TARGETS:-}; do targets+=(--target "$t"); done
    cmake --build "$dir" -j "$(nproc)" "${targets[@]}" -- --no-print-directory
}

build_all() {
    build_in "$build" "$ONDALUX_ARCH"
}

# The Wine that runs a build folder's programs, in the folder's own prefix:
#   wine_env [DIR [i686|x86_64]]     (default: the main build)
# puts the right `wine` first on the path: Debian's `wine` would start 32-bit
# Wine whenever wine32 is installed, and the emulated one is no package. Set
# the emulated Wine up first (emulated_wine32).
wine_env() {
    local dir=${1:-$build} arch=${2:-$ONDALUX_ARCH} loader=""
    export WINEPREFIX="$dir/wineprefix" WINEDEBUG=-all LANG=ja_JP.UTF-8 LC_ALL=ja_JP.UTF-8
    unset WINELOADER
    if [[ $arch == x86_64 ]]; then
        export WINEARCH=win64 WINELOADER=/usr/lib/wine/wine64
        loader=$WINELOADER
    elif [[ $ONDALUX_WINE32 == native ]]; then
        export WINEARCH=win32
        loader=/usr/lib/wine/wine
    else
        export WINEARCH=win32 PATH="$dir/wine32-emulated/bin:$PATH"
    fi
    if [[ -n $loader ]]; then
        mkdir -p "$dir/wine-bin"
        printf '#!/bin/sh\nexec %s "$@"\n' "$loader" > "$dir/wine-bin/wine"
        chmod +x "$dir/wine-bin/wine"
        export PATH="$dir/wine-bin:$PATH"
    fi
}

# Downloads and unpacks the emulated 32-bit Wine into a 32-bit build folder,
# once; a no-op where 32-bit Wine runs natively.
emulated_wine32() {
    local dir=${1:-$build}
    [[ $ONDALUX_WINE32 == emulated ]] || return 0
    "$repo/scripts/wine32-emulated.sh" "$dir/wine32-emulated"
}

# SIMCD_MODE chooses what the device type "cdaudio" plays: sim (default) the
# simulated drives, real Wine's own driver for real CD-ROM drives. At run time
# `simcd register` / `simcd unregister` switch the same way.
#   prepare_prefix [DIR [i686|x86_64]]   (default: the main build)
prepare_prefix() {
    local dir=${1:-$build} arch=${2:-$ONDALUX_ARCH}
    [[ $arch == i686 ]] && emulated_wine32 "$dir"
    wine_env "$dir" "$arch"
    local driver="$dir/simcd/simcdaudio.dll"
    if [[ -f $driver ]]; then
        "$repo/scripts/wineprefix.sh" "$WINEPREFIX" "$driver" "${SIMCD_MODE:-sim}"
    else
        "$repo/scripts/wineprefix.sh" "$WINEPREFIX"
    fi
}

# Runs a command on a virtual display inside one Wine session.
in_virtual_session() {
    xvfb-run -a -s "-screen 0 1280x1024x24" "$repo/scripts/wine-session.sh" "$@"
}

# The suites that also run on a 32-bit build beside the main one carry the
# ctest label emulated32 (tests/CMakeLists.txt). Left out where the 32-bit
# Wine is emulated, each with the reason: a ctest test by its name, a
# googletest case by SUITE.CASE.
declare -A emulator_skips=(
    [e2e_audio]="its steps are timed by fixed sleeps around uiprobe commands, and under the emulator each uiprobe run takes more than a second to start, longer than a step; the drives' sound itself is tested in simcd_tests, and the main build runs it"
    [AppTest.PaintingTheIconButtonsOrOpeningTheAboutBoxAgainAndAgainDoesNotGrowTheGdiObjects]="two hundred paints of the bar and two hundred about boxes take about a minute under the emulator; what it counts does not depend on the bitness, and the main build runs it"
)

# The ctest tests of those as a regular expression for ctest -E (empty when
# none), and the googletest filter that leaves the cases out.
emulator_ctest_exclude() {
    local name tests=()
    for name in "${!emulator_skips[@]}"; do [[ $name == *.* ]] || tests+=("$name"); done
    (( ${#tests[@]} )) && (IFS='|'; echo "^(${tests[*]})\$")
    return 0
}
emulator_gtest_filter() {
    local name skips=""
    for name in "${!emulator_skips[@]}"; do [[ $name == *.* ]] && skips+=":$name"; done
    echo "*${skips:+-${skips#:}}"
}

# Runs the 32-bit suites of a prepared 32-bit build folder in its own Wine
# session; extra arguments go to ctest. On success it records the SHA-256 of
# the Ondalux.exe they started in DIR/tested-program.sha256 (package.sh ships
# only that file), after checking that the file did not change meanwhile.
#   run_32bit_suites DIR [CTEST_ARGS...]
run_32bit_suites() {
    local dir=$1
    shift
    local exe="$dir/app/Ondalux.exe" record="$dir/tested-program.sha256" before status name filter="*" exclude=()
    rm -f "$record"
    if [[ $ONDALUX_WINE32 == emulated ]]; then
        for name in "${!emulator_skips[@]}"; do
            echo "Skipped on the emulated 32-bit Wine: $name (${emulator_skips[$name]})"
        done
        filter=$(emulator_gtest_filter)
        exclude=(-E "$(emulator_ctest_exclude)")
        [[ ${exclude[1]} ]] || exclude=()
    fi
    before=$(sha256sum < "$exe")
    (
        wine_env "$dir" i686
        cd "$dir"
        GTEST_FILTER=$filter in_virtual_session ctest --output-on-failure -L emulated32 "${exclude[@]}" "$@"
    )
    status=$?
    (( status == 0 )) || return $status
    [[ $(sha256sum < "$exe") == "$before" ]] ||
        { echo "$exe changed while the 32-bit suites ran" >&2; return 1; }
    echo "$before" > "$record"
}
