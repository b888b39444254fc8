#!/usr/bin/env bash
# Runs inside one Wine session (scripts/wine-session.sh): chooses the drives,
# then runs Ondalux. With ONDALUX_SHOT set, the program plays the demo discs
# for a few seconds, the window is saved to that file, and the program is
# closed again.
#   ONDALUX_WORLD  demo (simulated drives) or real (Wine's own CD driver)
#   ONDALUX_WM     managed: let the desktop's window manager frame the window
set -u
exe=$1
build=$(cd "$(dirname "$exe")/.." && pwd)
simcd="$build/simcd/simcd.exe"
probe="$build/tools/uiprobe/uiprobe.exe"

x11_managed() {
    wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d "$1" /f >/dev/null 2>&1
}

if [[ ${ONDALUX_WORLD:-demo} == demo ]]; then
    wine "$simcd" register >/dev/null && wine "$simcd" demo >/dev/null || exit 1
else
    wine "$simcd" unregister >/dev/null || exit 1
fi

if [[ -z ${ONDALUX_SHOT:-} ]]; then
    if [[ ${ONDALUX_WM:-} == managed ]]; then
        x11_managed Y
        trap 'x11_managed N' EXIT
    fi
    wine "$exe"
    exit $?
fi

wine "$exe" &
pid=$!
wine "$probe" wait 30 || { kill $pid; exit 1; }
# The three drives with discs play together; the empty one stays as it is.
wine "$probe" select 0 1 2
wine "$probe" command 32771
sleep 4
read -r _ left top right bottom < <(wine "$probe" geometry | tr -d '\r' | grep '^window ')
# Without time stamps the file changes only when the picture does.
import -window root -crop "$((right - left))x$((bottom - top))+$left+$top" +repage \
    -define png:exclude-chunks=date,time "$ONDALUX_SHOT"
wine "$probe" close
wait $pid
