#!/usr/bin/env bash
# A private sound server without sound hardware, for the tests and the
# benchmark: PulseAudio with a null output named "ondalux" on a socket of
# its own, kept running by a silent stream so that a recording of its
# monitor holds silence in real time too.
#   scripts/sound-server.sh start DIR   starts it (unless it runs) and prints
#                                       the environment of its clients:
#                                       export PULSE_SERVER=... PULSE_COOKIE=...
#   scripts/sound-server.sh stop DIR    stops it
# Record what is played with
#   parec -d ondalux.monitor --latency-msec=20 --file-format=wav FILE
# Wine's sound driver (winepulse.drv) plays into it when PULSE_SERVER is set.
set -euo pipefail

command=${1:-}
dir=$(realpath -m "${2:?usage: sound-server.sh start|stop DIR}")
socket="$dir/native"
# Clients need no cookie (anonymous access), but make one if they find none:
# this one keeps them out of the user's home.
export PULSE_SERVER=unix:$socket PULSE_COOKIE=$dir/cookie

running() {
    [[ -f $dir/server.pid ]] && kill -0 "$(cat "$dir/server.pid")" 2>/dev/null
}

stop() {
    local file
    for file in "$dir/keepalive.pid" "$dir/server.pid"; do
        if [[ -f $file ]]; then
            kill "$(cat "$file")" 2>/dev/null || true
            rm -f "$file"
        fi
    done
}

# The server, its tools, and numpy for tests/support/audio.py.
ensure_sound_packages() {
    local missing=() p
    for p in pulseaudio pulseaudio-utils python3-numpy; do
        dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'ok installed' || missing+=("$p")
    done
    (( ${#missing[@]} == 0 )) && return 0
    echo "Installing: ${missing[*]}" >&2
    apt-get update -qq >&2
    DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
}

case $command in
    start)
        ensure_sound_packages
        if ! running; then
            stop
            mkdir -p "$dir"
            chmod 700 "$dir"
            # Its own runtime and home folders: no desktop server, no D-Bus,
            # nothing of the user's touched.
            XDG_RUNTIME_DIR=$dir HOME=$dir pulseaudio --daemonize=no --exit-idle-time=-1 -n \
                --disallow-exit --log-target=file:"$dir/server.log" \
                --load="module-null-sink sink_name=ondalux rate=44100" \
                --load="module-native-protocol-unix auth-anonymous=1 socket=$socket" \
                </dev/null >/dev/null 2>&1 &
            echo $! > "$dir/server.pid"
            for ((i = 0; ; i++)); do
                pactl info >/dev/null 2>&1 && break
                if ((i == 100)); then
                    echo "sound-server.sh: PulseAudio did not start (see $dir/server.log)" >&2
                    stop
                    exit 1
                fi
                sleep 0.1
            done
            pactl set-default-sink ondalux
            pacat --playback -d ondalux --raw --format=s16le --rate=44100 \
                --channels=2 --latency-msec=50 </dev/zero >/dev/null 2>&1 &
            echo $! > "$dir/keepalive.pid"
        fi
        echo "export PULSE_SERVER=$PULSE_SERVER PULSE_COOKIE=$PULSE_COOKIE"
        ;;
    stop) stop ;;
    *) echo "usage: sound-server.sh start|stop DIR" >&2; exit 2 ;;
esac
