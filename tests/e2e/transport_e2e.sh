#!/usr/bin/env bash
# Ondalux as a user drives it: the real program on simulated drives, real X
# input with xdotool, and what reached the drives read from the journal.
#   transport_e2e.sh ONDALUX_EXE SIMCD_EXE UIPROBE_EXE
# Runs inside a Wine session on an X display (the test command provides
# both). Steps: Ctrl+click two rows and press Ctrl+P (the two-pass start);
# drag a slider of a playing drive; Alt+Right; the pause button; right-click
# a row and choose "取り出し(&J)"; Down after Alt+Right let go either way;
# the repeat button and Ctrl+P on a drive whose driver never reports the end
# of a play and says it plays on there; the same on a drive that also seeks
# for 0.4 s after every play and reports wobbling positions.
set -u -o pipefail
exe=$1
simcd_exe=$2
probe_exe=$3
shot=${E2E_SHOT_DIR:-$(dirname "$probe_exe")}/transport_e2e_failure.png

source "$(dirname "${BASH_SOURCE[0]}")/../support/program.sh"
trap close_program EXIT

fail() {
    echo "FAIL: $*"
    echo "--- rows"; probe rows
    echo "--- drives"; sim state
    echo "--- journal (transport)"; journal_transport
    import -window root "$shot" 2>/dev/null && echo "screen: $shot"
    exit 1
}

# The journal with its fields named (`simcd help` gives the line's format):
# each line "drive command flags from", as in "D: PLAY 0x0005 2000".
journal_fields() {
    sim journal | awk '{
        field["drive"] = $5; field["command"] = $8
        # From "flags" on, the line is pairs of a name and its value.
        for (i = 9; i < NF; i++) if ($i != "->") field[$i] = $(i + 1)
        print field["drive"], field["command"], field["flags"], field["from"] }'
}
# The transport commands, as in "D:PLAY:2000 D:PAUSE E:SET ".
journal_transport() {
    journal_fields | while read -r drive command flags from; do
        case $command in
            PLAY) printf '%s ' "$drive$command:$from" ;;
            PAUSE | STOP) printf '%s ' "$drive$command" ;;
            SET) [[ $flags == 0x0100 ]] && printf '%s ' "$drive$command" ;;
        esac
    done
}
journal_is() { [[ $(journal_transport) == "$1" ]]; }
drive_journal_matches() { [[ $(journal_transport | tr ' ' '\n' | grep "^$1:" | tr '\n' ' ') =~ $2 ]]; }
journal_matches() { [[ $(journal_transport) =~ $1 ]]; }

# "x y" of the centre of a named rectangle of `uiprobe geometry`.
centre() {
    probe geometry | awk -v name="$1" '$1 == name { print int(($2 + $4) / 2), int(($3 + $5) / 2) }'
}

# Selection and focus of every row, e.g. "1:0 1:1 0:0" (selected:focused).
row_states() { probe rows | awk -F'\t' '{ printf "%s:%s ", $2, $3 }'; }
rows_are() { [[ $(row_states) == "$1" ]]; }

# Time column of a row.
row_time() { probe rows | awk -F'\t' -v row="$1" '$1 == row { print $6 }'; }

# The simulated world: three discs of 60, 90 and 30 s from 2 s, so tracks
# start at 2000, 62000 and 152000 ms.
sim register >/dev/null || fail "cannot register the simulated driver"
sim remove all >/dev/null
for d in D E F; do
    sim define "$d" >/dev/null && sim insert "$d" 60000,90000,30000 >/dev/null ||
        fail "cannot set up drive $d"
done
sim speed 1 >/dev/null

wine "$exe" &
pid=$!
probe wait 30 >/dev/null || fail "no window with rows"
until_ok test "$(probe rows | cut -f4 | tr -d ' ')" == "$(printf '(D:)\n(E:)\n(F:)')" ||
    fail "the rows are not D:, E: and F:"

# 1. Click D:, Ctrl+click E:, Ctrl+P.
read -r x0 y0 < <(centre row0)
read -r x1 y1 < <(centre row1)
xdotool mousemove "$((x0 - 80))" "$y0" click 1
xdotool mousemove "$((x1 - 80))" "$y1" keydown ctrl click 1 keyup ctrl
until_ok rows_are "1:0 1:1 0:0 " || fail "Ctrl+click did not select D: and E:"
sim journal clear >/dev/null
xdotool key ctrl+p
until_ok journal_matches '^D:PLAY:2000 D:PAUSE E:PLAY:2000 E:PAUSE D:PLAY:[0-9]+ E:PLAY:[0-9]+ $' ||
    fail "Ctrl+P did not start D: and E: in two passes"
echo "ok: Ctrl+P started D: and E: together"

# 2. Drag D:'s thumb to the middle of its slider; hold it there.
read -r _ sl _ sr _ _ tl tt tr tb _ < <(probe sliders | grep '^slider0 ')
[[ -n ${tb:-} ]] || fail "no slider for D:"
tx=$(((tl + tr) / 2)); ty=$(((tt + tb) / 2))
target=$(((sl + sr) / 2))
sim journal clear >/dev/null
xdotool mousemove "$tx" "$ty" mousedown 1
sleep 0.1
for x in $(seq "$tx" 20 "$target") "$target"; do
    xdotool mousemove "$x" "$ty"
    sleep 0.02
done
sleep 0.3
read -r -a held < <(probe sliders | grep '^slider0 ')
pos=${held[11]}
((pos > 70000 && pos < 140000)) || { xdotool mouseup 1; fail "thumb dragged to $pos, not into track 2"; }
text=$(printf '%2d:%02d:%02d' $((pos / 3600000 % 60)) $((pos / 60000 % 60)) $((pos / 1000 % 60)))
until_ok test "$(row_time 0)" == "$text" || { xdotool mouseup 1; fail "time column shows '$(row_time 0)' while the thumb is at '$text'"; }
journal_is "" || { xdotool mouseup 1; fail "the drag moved the drive before the release: $(journal_transport)"; }
xdotool mouseup 1
# The release's last messages each seek; the first from the thumb's place.
until_ok journal_matches "^D:PAUSE D:PLAY:$pos (D:PAUSE D:PLAY:[0-9]+ )*\$" ||
    fail "the release did not seek D: to $pos"
until_ok rows_are "1:1 0:0 0:0 " || fail "the slider did not make D: the only selected row"
echo "ok: dragging D:'s thumb showed $text and the release played on from $pos"

# 3. Alt+Right: D: plays on from the start of track 3.
sim journal clear >/dev/null
xdotool key alt+Right
until_ok journal_is "D:PAUSE D:PLAY:152000 " || fail "Alt+Right did not move D: to track 3"
echo "ok: Alt+Right moved D: to the next track"

# 4. The pause button pauses D: alone.
read -r bx by < <(centre button32772)
[[ -n ${by:-} ]] || fail "no pause button"
sim journal clear >/dev/null
xdotool mousemove "$bx" "$by" click 1
until_ok journal_is "D:PAUSE " || fail "the pause button did not pause D: alone"
grep -q 'D: "[^"]*" paused' <<<"$(sim state D)" || fail "D: is not paused"
grep -q 'E: "[^"]*" playing' <<<"$(sim state E)" || fail "E: stopped playing"
echo "ok: the pause button paused D:"

# 5. Right-click E:, choose 取り出し(&J).
sim journal clear >/dev/null
xdotool mousemove "$((x1 - 80))" "$y1" click 3
until_ok probe menu >/dev/null || fail "no context menu after a right click"
until_ok rows_are "0:0 1:1 0:0 " || fail "the right click did not select E: alone"
xdotool key j
# The next whole second reloads the emptied drive: its old device is stopped
# and closed.
until_ok journal_matches '^E:SET (E:STOP )?$' || fail "取り出し did not open E:'s tray"
grep -q 'door open' <<<"$(sim state E)" || fail "E:'s door is not open"
until_ok eval '! probe menu >/dev/null' || fail "the menu is still open"
echo "ok: the context menu's 取り出し opened E:'s tray"

# 6. After Alt+Right, let go in either order, the next key reaches the list:
# Down moves the focus a row and opens no menu.
xdotool mousemove "$((x0 - 80))" "$y0" click 1
until_ok rows_are "1:1 0:0 0:0 " || fail "a click did not select D: alone"
xdotool key alt+Right key Down
until_ok rows_are "0:0 1:1 0:0 " || fail "Down after Alt+Right (Right let go first) did not reach the list"
probe menu >/dev/null && fail "Down after Alt+Right (Right let go first) opened a menu"
xdotool keydown alt keydown Right keyup alt keyup Right key Down
until_ok rows_are "0:0 0:0 1:1 " || fail "Down after Alt+Right (Alt let go first) did not reach the list"
probe menu >/dev/null && fail "Down after Alt+Right (Alt let go first) opened a menu"
echo "ok: after Alt+Right, let go in either order, Down moved the focus"

# 7. F:'s driver goes on saying it plays at the end of the disc, which now
# lasts 3 s. Click F:, the repeat button, Ctrl+P: F: plays to its end, stands
# there, and is stopped and played again from the disc's start.
sim profile F stuck-playing >/dev/null && sim speed 60 >/dev/null || fail "cannot make F: stuck-playing"
read -r x2 y2 < <(centre row2)
xdotool mousemove "$((x2 - 80))" "$y2" click 1
until_ok rows_are "0:0 0:0 1:1 " || fail "the click did not select F: alone"
read -r rx ry < <(centre button32775)
[[ -n ${ry:-} ]] || fail "no repeat button"
xdotool mousemove "$rx" "$ry" click 1
sim journal clear >/dev/null
xdotool key ctrl+p
until_ok drive_journal_matches F '^F:PLAY:2000 F:STOP F:PLAY:2000 ' ||
    fail "F: did not play again after the end of its disc"
grep -q 'F: "[^"]*" playing.*profile stuck-playing' <<<"$(sim state F)" || fail "F: is not playing again"
echo "ok: the repeat button played F: again after its driver stuck at the end"

# 8. D: too, and it seeks 0.4 s after every play, meanwhile saying it plays
# where it stood, and its positions wobble by 3 frames. Click D:, Ctrl+P
# (repeat is on): one play from the disc's start per end of the disc, which
# lasts 3 s, and none while the drive seeks.
sim profile D stuck-playing >/dev/null && sim seek D 400 >/dev/null && sim wobble D 3 >/dev/null ||
    fail "cannot make D: seek and wobble"
xdotool mousemove "$((x0 - 80))" "$y0" click 1
until_ok rows_are "1:1 0:0 0:0 " || fail "the click did not select D: alone"
sim journal clear >/dev/null
xdotool key ctrl+p
until_ok drive_journal_matches D '^D:PLAY:[0-9]+ D:STOP D:PLAY:2000 ' ||
    fail "D: did not play again after the end of its disc"
sleep 1.5
drive_journal_matches D '^D:PLAY:[0-9]+ D:STOP D:PLAY:2000 $' ||
    fail "D: was played again before its disc could end: $(journal_transport)"
echo "ok: D:, seeking and wobbling, played again once after the end of its disc"
exit 0
