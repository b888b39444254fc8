#!/usr/bin/env bash
# Runs inside one Wine session (scripts/wine-session.sh): chooses the drives,
# then runs Ondalux from its own folder, as Explorer starts it, so that it
# finds its help file there. With ONDALUX_SHOT set, the program plays the demo
# discs for a few seconds, the window is saved to that file, and the program
# is closed again.
#   ONDALUX_WORLD  demo (simulated drives) or real (Wine's own CD driver)
#   ONDALUX_WM     managed: let the desktop's window manager frame the window
set -u
exe=$(realpath "$1")
build=$(cd "$(dirname "$exe")/.." && pwd)
simcd="$build/simcd/simcd.exe"
probe="$build/tools/uiprobe/uiprobe.exe"

x11_managed() {
    wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d "$1" /f >/dev/null 2>&1
}

# On every way out: the program is closed as its close box does (its drives
# stopped and closed), or killed when it does not end; the window manager
# setting is put back.
pid=
managed=
cleanup() {
    if [[ -n $pid ]] && kill -0 "$pid" 2>/dev/null; then
        wine "$probe" close >/dev/null 2>&1 || kill "$pid" 2>/dev/null
        wait "$pid" 2>/dev/null
    fi
    [[ -n $managed ]] && x11_managed N
}
trap cleanup EXIT
trap 'exit 130' INT TERM HUP

if [[ ${ONDALUX_WORLD:-demo} == demo ]]; then
    wine "$simcd" register >/dev/null && wine "$simcd" demo >/dev/null || exit 1
else
    wine "$simcd" unregister >/dev/null || exit 1
fi
if [[ -z ${ONDALUX_SHOT:-} && ${ONDALUX_WM:-} == managed ]]; then
    managed=1
    x11_managed Y
fi

cd "$(dirname "$exe")" || exit 1
wine "$exe" &
pid=$!

if [[ -z ${ONDALUX_SHOT:-} ]]; then
    wait $pid
    status=$?
    pid=
    exit $status
fi

wine "$probe" wait 30 || exit 1
# The three drives with discs play together; the empty one stays as it is.
wine "$probe" select 0 1 2
wine "$probe" command play
sleep 4
read -r _ left top right bottom < <(wine "$probe" geometry | tr -d '\r' | grep '^window ')
# Without time stamps the file changes only when the picture does.
import -window root -crop "$((right - left))x$((bottom - top))+$left+$top" +repage \
    -define png:exclude-chunks=date,time "$ONDALUX_SHOT"
wine "$probe" close || exit 1
wait $pid
pid=
