#!/usr/bin/env bash
# The built program started from a folder, as Explorer starts it: with
# Ondalux.chm in that folder F1 and the help menu item have the shell open it
# (Wine's help viewer starts on it); without it the item is grayed and
# neither starts anything.
#   help_start.sh ONDALUX_EXE SIMCD_EXE UIPROBE_EXE
# Runs inside a Wine session on an X display (the test command provides
# both). The program and its help file are copied into an empty folder.
set -u -o pipefail
exe=$1
simcd_exe=$2
probe_exe=$3
chm=$(dirname "$exe")/Ondalux.chm

source "$(dirname "${BASH_SOURCE[0]}")/../support/program.sh"

work=$(mktemp -d)
# The help viewers started on a file of this test's folder, as Unix processes.
viewers() {
    local p
    for p in $(pgrep -f 'hh\.exe'); do
        tr '\0' ' ' </proc/"$p"/cmdline 2>/dev/null | grep -qi "${work##*/}" && echo "$p"
    done
}
cleanup() {
    close_program
    kill $(viewers) 2>/dev/null
    rm -rf "$work"
}
trap cleanup EXIT

fail() {
    echo "FAIL: $*"
    exit 1
}

has_viewer() { [[ -n $(viewers) ]]; }

sim register >/dev/null || fail "cannot register the simulated driver"
sim remove all >/dev/null
sim define D >/dev/null && sim insert D 60000 >/dev/null || fail "cannot set up drive D"
[[ -f $chm ]] || fail "no help file beside $exe"

# A click into the list: the keys then go to the program.
focus_program() {
    local x y
    read -r x y < <(probe geometry | awk '$1 == "row0" { print $2 + 20, int(($3 + $5) / 2) }')
    xdotool mousemove "$x" "$y" click 1
}
start_in() {
    (cd "$1" && exec wine Ondalux.exe) &
    pid=$!
    probe wait 30 >/dev/null || fail "no window with rows"
    focus_program
}

# Opens the help pop-up from the keyboard with the about item highlighted, and
# counts the dark pixels of the first item: its text is black when it is
# enabled and gray when it is grayed.
help_item_dark_pixels() {
    local left top right bottom
    xdotool key alt+h
    until_ok probe menu >/dev/null || return 1
    xdotool key Down
    sleep 0.3
    read -r _ left top right bottom < <(probe menu)
    [[ -n ${bottom:-} ]] || return 1
    import -window root -crop "$((right - left))x$(((bottom - top) / 2))+$left+$top" +repage "$work/item.png"
    convert "$work/item.png" -colorspace gray -threshold 25% -negate -format '%[fx:int(mean*w*h+0.5)]' info:
}

# 1. With the help file: F1 starts the viewer, the menu item is enabled.
cp "$exe" "$chm" "$work/"
start_in "$work"
xdotool key F1
until_ok has_viewer || fail "F1 did not start the help viewer with Ondalux.chm in the program's folder"
kill $(viewers) 2>/dev/null
until_ok eval '! has_viewer' || fail "the help viewer did not end"
focus_program
dark=$(help_item_dark_pixels) || fail "no help menu after Alt+H"
((dark >= 10)) || fail "the help item is grayed with Ondalux.chm in the program's folder"
xdotool key h
until_ok has_viewer || fail "the help item did not start the help viewer"
close_program
echo "ok: with Ondalux.chm beside it, F1 and the menu item open the help file"

# 2. Without it: nothing starts and the item is grayed.
kill $(viewers) 2>/dev/null
rm "$work/Ondalux.chm"
start_in "$work"
xdotool key F1
dark=$(help_item_dark_pixels) || fail "no help menu after Alt+H"
((dark == 0)) || fail "the help item is enabled without Ondalux.chm"
xdotool key h
sleep 2
has_viewer && fail "the help viewer started without Ondalux.chm"
xdotool key Escape Escape
close_program
echo "ok: without Ondalux.chm the help item is grayed and F1 starts nothing"
exit 0
