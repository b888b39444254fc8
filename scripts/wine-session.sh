#!/usr/bin/env bash
# Runs a command inside one Wine session: a persistent wineserver, with Wine's
# helper processes already started, ended when the command ends. Returns the
# command's exit status. Expects WINEPREFIX and DISPLAY to be set.
set -u

wineserver -p
# Wine's desktop process (explorer.exe) ends shortly after the last program on
# the desktop ends, and the next program that opens a window starts it again
# with that program's output handles: a caller's pipe (ctest's) then stays
# open for as long as it lives, and now and then it never ends. A program
# waiting on a pipe of its own holds the desktop for the whole session, so
# Wine's helpers start once, here, with their output detached.
keep=$(mktemp -d)
mkfifo "$keep/stdin"
wine cmd /c "set /p x=" <"$keep/stdin" >/dev/null 2>&1 &
exec 3>"$keep/stdin"
wine cmd /c exit >/dev/null 2>&1 </dev/null

"$@"
status=$?

exec 3>&-
wineserver -k 2>/dev/null
wineserver -w 2>/dev/null
rm -rf "$keep"
exit $status
