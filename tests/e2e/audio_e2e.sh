#!/usr/bin/env bash
# What Ondalux plays, heard: the real program on simulated drives holding a
# disc image made here with known sound (noise of its own per track, found
# again to the sample by cross-correlation, tests/support/audio.py),
# recorded from the monitor of the test command's sound server.
#   audio_e2e.sh ONDALUX_EXE SIMCD_EXE UIPROBE_EXE SOUND_FLOOR_EXE
# Runs inside a Wine session on an X display; PULSE_SERVER names the sound
# server (the test command starts one; without it this script starts its
# own).
# 1. One drive, the program's commands: Play sounds track 1 from its first
#    sample; Pause is silent, and Play resumes within 20 ms of where the
#    sound paused; Next and Previous sound their tracks from their first
#    sample; Stop is silent; Previous from track 1 and Play sound the last
#    track to the end of the disc, and with repeat on, track 1 follows.
# 2. Two drives holding the image, selected with the mouse, Ctrl+P: the
#    recording holds both drives' sound, each the image's from the disc's
#    start, offset by no more than kSkewBound samples; beside it, two
#    streams started back to back by a bare program (sound_floor).
# 3. At time factor 20 the same Ctrl+P is silent.
set -u -o pipefail
exe=$1
simcd_exe=$2
probe_exe=$3
floor_exe=$4
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
work=$(dirname "$probe_exe")/audio_e2e
audio="/usr/bin/python3 $here/../support/audio.py"
# The benchmark's largest start skew heard, of 2 and of 4 drives
# (docs/benchmarks.md), rounded up to 10 ms.
kSkewBound=441

source "$here/../support/program.sh"

rm -rf "$work"
mkdir -p "$work"
recorder=
server=
cleanup() {
    close_program
    [[ -n $recorder ]] && kill -INT "$recorder" 2>/dev/null && wait "$recorder" 2>/dev/null
    [[ -n $server ]] && "$here/../../scripts/sound-server.sh" stop "$work/sound"
}
trap cleanup EXIT

fail() {
    echo "FAIL: $*"
    echo "--- drives"; sim state
    exit 1
}

if [[ -z ${PULSE_SERVER:-} ]]; then
    eval "$("$here/../../scripts/sound-server.sh" start "$work/sound")" || fail "no sound server"
    server=1
fi

# Records the sound server's output into a file until stop_recording.
record() {
    parec -d ondalux.monitor --latency-msec=20 --file-format=wav --rate=44100 --channels=2 "$work/$1" &
    recorder=$!
    sleep 0.5
}
stop_recording() {
    sleep 0.5
    kill -INT "$recorder"
    wait "$recorder" 2>/dev/null
    recorder=
}

# The image: tracks of 3, 2.5 (then a 1 s pregap of track 3) and 3 seconds.
# Track 1 starts at frame 150, track 2 at 375, track 3 at 638; the disc ends
# at frame 863. A frame is 588 samples.
$audio image "$work/image" 3000,2500+1000,3000 || fail "cannot make the image"
cue=$(wine winepath -w "$work/image/disc.cue" 2>/dev/null | tr -d '\r')
readonly T1=$((150 * 588)) T2=$((375 * 588)) T3=$((638 * 588)) END=$((863 * 588))

sim register >/dev/null || fail "cannot register the simulated driver"
sim remove all >/dev/null
# The tool takes a Unix path as well as a Windows one.
sim define D >/dev/null && sim insert D "$work/image/disc.cue" >/dev/null || fail "cannot put the image in D:"
sim define E >/dev/null && sim insert E "$cue" >/dev/null || fail "cannot put the image in E:"
[[ $(sim state D) == *"image cue $cue"* ]] || fail "simcd state does not show D:'s image"
sim speed 1 >/dev/null

wine "$exe" &
pid=$!
probe wait 30 >/dev/null || fail "no window with rows"
until_ok test "$(probe rows | cut -f4 | tr -d ' ')" == "$(printf '(D:)\n(E:)')" || fail "the rows are not D: and E:"

# 1. D: alone, through the program's commands.
probe select 0 >/dev/null
record one.wav
step() {
    probe command "$1" >/dev/null || fail "command $1"
    sleep "$2"
}
step play 1.0
step pause 0.8
step play 0.8
step next 0.8
step prev 0.8
step stop 0.8
step repeat 0
step prev 0
step play 4.5
step stop 0
stop_recording

mapfile -t heard < <($audio segments "$work/one.wav" "$work/image/disc.cue" | grep '^sound')
printf '%s\n' "${heard[@]}"
# Each stretch: REC_FROM REC_TO DISC_FROM DISC_TO TRACK OFFSET GLITCHES.
((${#heard[@]} == 6)) || fail "heard ${#heard[@]} stretches of the image, not 6"
read -r -a h < <(for line in "${heard[@]}"; do echo "${line#sound }"; done | tr '\n' ' ')
at() { echo "${h[$((7 * $1 + $2))]}"; }  # stretch, field
near() { (($1 - $2 <= $3 && $2 - $1 <= $3)); }
silent_between() { (($(at "$2" 0) - $(at "$1" 1) >= $3)); }
near "$(at 0 2)" $T1 2 || fail "Play sounded disc sample $(at 0 2), not track 1's first ($T1)"
silent_between 0 1 22050 || fail "Pause was silent for less than half a second"
near "$(at 1 2)" "$(at 0 3)" 882 ||
    fail "Play after Pause went on at $(at 1 2), $(($(at 1 2) - $(at 0 3))) samples from where it paused"
near "$(at 2 2)" $T2 2 || fail "Next sounded disc sample $(at 2 2), not track 2's first ($T2)"
near "$(at 3 2)" $T1 2 || fail "Previous sounded disc sample $(at 3 2), not track 1's first ($T1)"
silent_between 3 4 22050 || fail "Stop was silent for less than half a second"
near "$(at 4 2)" $T3 2 || fail "Previous from track 1 sounded disc sample $(at 4 2), not track 3's first ($T3)"
near "$(at 4 3)" $END 882 || fail "the last track's sound ended at $(at 4 3), not at the disc's end ($END)"
near "$(at 5 2)" $T1 2 || fail "repeat sounded disc sample $(at 5 2), not track 1's first ($T1)"
echo "ok: Play, Pause, Next, Previous, Stop and the end of the disc with repeat sounded as they should"

# 2. D: and E: together, with the mouse and the keyboard: both stand at the
# disc's start (Stop went back to track 1's start).
read -r x0 y0 < <(probe geometry | awk '$1 == "row0" { print int(($2 + $4) / 2), int(($3 + $5) / 2) }')
read -r x1 y1 < <(probe geometry | awk '$1 == "row1" { print int(($2 + $4) / 2), int(($3 + $5) / 2) }')
xdotool mousemove "$((x0 - 80))" "$y0" click 1
xdotool mousemove "$((x1 - 80))" "$y1" keydown ctrl click 1 keyup ctrl
until_ok test "$(probe rows | awk -F'\t' '{ printf "%s", $2 }')" == 11 || fail "the clicks did not select D: and E:"
record two.wav
xdotool key ctrl+p
sleep 1.5
xdotool key ctrl+s
stop_recording

# 3. At another time factor the drives play silent.
sim speed 20 >/dev/null
record fast.wav
xdotool key ctrl+p
sleep 1
xdotool key ctrl+s
stop_recording
sim speed 1 >/dev/null
close_program
[[ $($audio level "$work/fast.wav") == *"sound 0.00 s"* ]] || fail "the drives were heard at time factor 20"

record floor.wav
wine "$floor_exe" 2 1.5 "$cue" 2000 >/dev/null || fail "the floor's streams did not play"
stop_recording

read -r _ skew peaks < <($audio skew "$work/two.wav" "$work/image/disc.cue" 2000 2)
read -r _ floor _ < <($audio skew "$work/floor.wav" "$work/image/disc.cue" 2000 2)
length=$($audio level "$work/two.wav")
echo "two drives: offset $skew samples ($peaks: offset:weight each), floor $floor samples; recording $length"
# Two drives' sound, each the whole of it, or both at the same sample.
weights=$(tr ' ' '\n' <<<"$peaks" | awk -F: '{ n++; sum += $2; if ($2 < 0.5) low = 1 } END { print n, sum, low + 0 }')
read -r count sum low <<<"$weights"
awk -v c="$count" -v s="$sum" -v l="$low" 'BEGIN { exit !((c == 2 && !l && s > 1.7 && s < 2.3) || (c == 1 && s > 1.7 && s < 2.3)) }' ||
    fail "the recording does not hold both drives' sound of the image ($peaks)"
((skew <= kSkewBound)) || fail "the drives' sound is $skew samples apart, more than $kSkewBound"
echo "ok: D: and E: sounded the image together, $skew samples apart"
exit 0
