#!/usr/bin/env bash
# Runs a command inside one Wine session: a persistent wineserver, with Wine's
# helper processes already started, ended when the command ends. Returns the
# command's exit status. Expects WINEPREFIX and DISPLAY to be set.
set -u

wineserver -p
# services.exe and explorer.exe outlive the first program started: started here
# with their output detached, they cannot hold a caller's pipes (ctest's) open.
wine cmd /c exit >/dev/null 2>&1 </dev/null

"$@"
status=$?

wineserver -k 2>/dev/null
wineserver -w 2>/dev/null
exit $status
