#!/usr/bin/env bash
# The start skew heard (run by scripts/bench.sh inside its Wine session, with
# PULSE_SERVER naming the sound server): several drives holding the same
# disc image, every row selected, Play; the recording of the sound server's
# output holds each drive's sound, and the spread of where they start, found
# by cross-correlation with the image (tests/support/audio.py skew), is the
# skew in samples. Floor: the same number of streams of the same sound
# started back to back by a bare program (sound_floor). Trial by trial in
# turn, for 2 and 4 drives.
#   sound_skew.sh BUILD_DIR [--quick]
set -u -o pipefail
build=$1
rounds=9
[[ ${2:-} == --quick ]] && rounds=3
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
exe="$build/app/Ondalux.exe"
simcd_exe="$build/simcd/simcd.exe"
probe_exe="$build/tools/uiprobe/uiprobe.exe"
floor_exe="$build/bench/program/sound_floor.exe"
audio="/usr/bin/python3 $here/../../tests/support/audio.py"
work="$build/bench-sound"
source "$here/../../tests/support/program.sh"
trap close_program EXIT

rm -rf "$work"
mkdir -p "$work"
$audio image "$work/image" 3000,3000 || exit 1
cue=$(wine winepath -w "$work/image/disc.cue" 2>/dev/null | tr -d '\r')

# One recording of a command's sound, from that many drives; prints the
# skew audio.py finds in it.
heard() {
    local file="$work/trial.wav" recorder drives=$1
    shift
    parec -d ondalux.monitor --latency-msec=20 --file-format=wav --rate=44100 --channels=2 "$file" &
    recorder=$!
    sleep 0.5
    "$@"
    sleep 0.3
    kill -INT "$recorder"
    wait "$recorder" 2>/dev/null
    $audio skew "$file" "$work/image/disc.cue" 2000 "$drives" | head -1 | awk '{ print ($2 == "none") ? "-" : $2 }'
}
program_trial() {
    probe command play >/dev/null
    sleep 1
    probe command stop >/dev/null
}
floor_trial() { wine "$floor_exe" "$1" 1 "$cue" 2000 >/dev/null; }

# Median and largest of the numbers on stdin.
stats() { sort -n | awk '{ v[NR] = $1 } END { printf "%d %d", v[int((NR + 1) / 2)], v[NR] }'; }

echo "| start skew in the sound, samples | median (largest) | floor | difference | ratio | trials |"
echo "|---|---|---|---|---|---|"
letters=(D E F G)
for drives in 2 4; do
    sim register >/dev/null
    sim remove all >/dev/null
    sim speed 1 >/dev/null
    rows=()
    for ((i = 0; i < drives; i++)); do
        sim define "${letters[i]}" >/dev/null && sim insert "${letters[i]}" "$cue" >/dev/null || exit 1
        rows+=("$i")
    done
    wine "$exe" &
    pid=$!
    probe wait 30 >/dev/null || { echo "| $drives drives | program did not start |"; close_program; continue; }
    probe select "${rows[@]}" >/dev/null
    skews=() floors=()
    for ((n = 0; n < rounds; n++)); do
        skews+=("$(heard "$drives" program_trial)")
        floors+=("$(heard "$drives" floor_trial "$drives")")
    done
    close_program
    read -r skew skew_max < <(printf '%s\n' "${skews[@]}" | grep -v -- - | stats)
    read -r floor floor_max < <(printf '%s\n' "${floors[@]}" | grep -v -- - | stats)
    awk -v d="$drives" -v s="$skew" -v sm="$skew_max" -v f="$floor" -v fm="$floor_max" -v n="${#skews[@]}" \
        'BEGIN { ratio = f > 0 ? s / f : 0
                 printf "| %d drives | %d (%d) | %d (%d) | %+d | %.2f x | %d |\n", d, s, sm, f, fm, s - f, ratio, n }'
    echo "|   each trial | ${skews[*]} | ${floors[*]} | | | |"
done
sim remove all >/dev/null
