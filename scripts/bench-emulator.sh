#!/usr/bin/env bash
# What the emulated 32-bit Wine costs (not part of the test command): the same
# steps under native Wine (the floor) and under the emulator, interleaved
# round by round in one run, and the ratio of their medians:
#   - a prefix made from nothing (wineboot), as the test command makes one;
#   - starting a Windows program in a running session (`wine cmd /c exit`);
#   - each suite labelled emulated32, as ctest times it.
# The floor is the same 32-bit build under native 32-bit Wine where the
# machine runs 32-bit code, otherwise the 64-bit build under 64-bit Wine.
# Builds what is missing and sets the emulator up first.
#   scripts/bench-emulator.sh [ROUNDS]      (default 3)
set -euo pipefail
ONDALUX_WINE32=emulated
source "$(dirname "${BASH_SOURCE[0]}")/common.sh"
rounds=${1:-3}

if runs_32bit_code; then
    packages+=(wine32:i386)
    floor_label="the same 32-bit build, native 32-bit Wine"
    floor_dir=$build_win32 floor_arch=i686 floor_wine32=native
else
    floor_label="the 64-bit build, native 64-bit Wine"
    floor_dir=$build floor_arch=x86_64 floor_wine32=emulated
fi
ensure_packages
build_in "$build_win32" i686 -DBUILD_TESTING=ON >/dev/null
[[ $floor_dir == "$build_win32" ]] || build_in "$floor_dir" "$floor_arch" >/dev/null
emulated_wine32 "$build_win32"

# The same test cases on both sides.
filter=$(emulator_gtest_filter)
exclude=$(emulator_ctest_exclude)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

seconds_since() { awk -v a="$1" -v b="$EPOCHREALTIME" 'BEGIN { printf "%.3f", b - a }'; }

# One side's round, MODE floor or emulated: appends "step seconds" lines to
# $work/MODE.
side() {
    local mode=$1
    (
        dir=$build_win32 arch=i686
        [[ $mode == floor ]] && dir=$floor_dir arch=$floor_arch ONDALUX_WINE32=$floor_wine32
        wine_env "$dir" "$arch"
        # A prefix of each side's own, so that both may share a build folder.
        export WINEPREFIX="$dir/wineprefix-bench-$mode"
        fresh="$WINEPREFIX-fresh"
        rm -rf "$fresh"
        t0=$EPOCHREALTIME
        WINEPREFIX=$fresh WINEDLLOVERRIDES="mscoree,mshtml=" wine wineboot -i >/dev/null 2>&1
        WINEPREFIX=$fresh wineserver -w
        echo "prefix-from-nothing $(seconds_since "$t0")" >> "$work/$mode"
        rm -rf "$fresh"
        "$repo/scripts/wineprefix.sh" "$WINEPREFIX" "$dir/simcd/simcdaudio.dll" sim
        cd "$dir"
        GTEST_FILTER=$filter EXCLUDE=${exclude:-^$} in_virtual_session bash -c '
            for i in 1 2 3 4 5; do
                t0=$EPOCHREALTIME
                wine cmd /c exit >/dev/null 2>&1 </dev/null
                awk -v a="$t0" -v b="$EPOCHREALTIME" "BEGIN { printf \"program-start %.3f\n\", b - a }"
            done
            ctest -L emulated32 -E "$EXCLUDE" 2>&1 |
                sed -n "s/^.*Test *#[0-9]*: \([a-z0-9_]*\) \.*  *Passed *\([0-9.]*\) sec$/\1 \2/p" |
                awk "{ print; total += \$2 } END { print \"all-suites\", total }"' >> "$work/$mode"
    )
}

for ((r = 1; r <= rounds; r++)); do
    echo "round $r of $rounds" >&2
    if ((r % 2)); then side floor; side emulated; else side emulated; side floor; fi
done

median() { sort -n | awk '{ v[NR] = $1 } END { print (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2 }'; }
echo "Floor: $floor_label. Emulated: the 32-bit build, Debian's 32-bit Wine under qemu-i386."
echo "Medians of $rounds rounds (program start: of 5 starts a round), seconds."
echo
echo "| step | floor | emulated | ratio |"
echo "|---|---|---|---|"
for step in $(awk '{ print $1 }' "$work/emulated" | awk '!seen[$0]++'); do
    f=$(awk -v s="$step" '$1 == s { print $2 }' "$work/floor" | median)
    e=$(awk -v s="$step" '$1 == s { print $2 }' "$work/emulated" | median)
    [[ -n $f && -n $e ]] || continue
    awk -v s="$step" -v f="$f" -v e="$e" 'BEGIN { printf "| %s | %.2f | %.2f | %.1f × |\n", s, f, e, e / f }'
done
