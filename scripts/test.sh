#!/usr/bin/env bash
# The test command: installs what is missing, builds both programs and runs
# the tests under Wine on a virtual display, in two halves:
#  1. the main build (build/): every test. It is the 32-bit program where the
#     machine runs 32-bit code, otherwise the 64-bit one.
#  2. the other build: beside a 64-bit main build, the 32-bit program users
#     get (build-win32/) runs the suites labelled emulated32, under 32-bit
#     Wine emulated by qemu-i386 where the machine runs no 32-bit code;
#     beside a 32-bit main build, the 64-bit one (build-win64/) is compiled.
# Extra arguments go to ctest in both halves (for instance -R simcd).
# ONDALUX_WINE32 and ONDALUX_ARCH: see scripts/common.sh.
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/common.sh"

ensure_packages
# The sound tests of both halves record what the drives play from a sound
# server of their own.
eval "$("$repo/scripts/sound-server.sh" start "$build/sound")"
trap '"$repo/scripts/sound-server.sh" stop "$build/sound"' EXIT

describe() {
    if [[ $1 == x86_64 ]]; then
        echo "64-bit build under native 64-bit Wine"
    elif [[ $ONDALUX_WINE32 == emulated ]]; then
        echo "32-bit build under 32-bit Wine emulated by qemu-i386"
    else
        echo "32-bit build under native 32-bit Wine"
    fi
}

# Runs a step and notes its time for the summary.
times=""
timed() {
    local label=$1 t=$SECONDS status=0
    shift
    "$@" || status=$?
    times+="${times:+, }$label $((SECONDS - t)) s"
    return $status
}
# Notes a half's result and times for the summary.
summary=()
failed=0
note() {
    summary+=("$1: $2" "     $times")
    times=""
}
main_tests() {
    (
        wine_env
        cd "$build"
        in_virtual_session ctest --output-on-failure "$@"
    )
}

echo "=== 1. ${build#"$repo"/}/: $(describe "$ONDALUX_ARCH"), every test"
timed build build_all
timed prefix prepare_prefix
if timed tests main_tests "$@"; then result=passed; else result=FAILED failed=1; fi
note "1. ${build#"$repo"/}/, $(describe "$ONDALUX_ARCH")" "every test $result"

if [[ $ONDALUX_ARCH == x86_64 ]]; then
    echo "=== 2. ${build_win32#"$repo"/}/: $(describe i686), the suites labelled emulated32"
    timed build build_in "$build_win32" i686 -DBUILD_TESTING=ON
    [[ $ONDALUX_WINE32 == emulated ]] && timed "emulated Wine set-up" emulated_wine32 "$build_win32"
    timed prefix prepare_prefix "$build_win32" i686
    if timed tests run_32bit_suites "$build_win32" "$@"; then result=passed; else result=FAILED failed=1; fi
    note "2. ${build_win32#"$repo"/}/, $(describe i686)" "the emulated32 suites $result"
else
    echo "=== 2. ${build_win64#"$repo"/}/: the 64-bit build, compiled only"
    timed build build_in "$build_win64" x86_64 -DBUILD_TESTING=ON
    note "2. ${build_win64#"$repo"/}/, the 64-bit build" "compiled"
fi

echo "=== Summary ($((SECONDS / 60)) min $((SECONDS % 60)) s)"
printf '%s\n' "${summary[@]}"
exit $failed
