#!/usr/bin/env bash
# Gives every optical drive of the machine a CD-ROM drive letter in a Wine
# prefix, before its wineserver starts:
#   scripts/optical-drives.sh PREFIX [DEVICE...]     (default: /dev/sr*)
# Wine's mount manager gives a drive a letter by itself only when the
# desktop's disk service (UDisks2 on the system bus) reports the drive; a
# machine without that service (a server, a container, a bare X session)
# reports none, and Wine then sees no CD-ROM drive at all, whatever disc it
# holds. A drive that already has a letter (a "x::" link that leads to it)
# keeps it, so that the mount manager, which looks for such a link first,
# never gives it a second one. Prints "X: DEVICE" for every drive.
set -euo pipefail

prefix=$(realpath -m "${1:?usage: optical-drives.sh PREFIX [DEVICE...]}")
shift
shopt -s nullglob
if (($#)); then
    devices=("$@")
else
    devices=(/dev/sr[0-9]*)
fi
dosdevices="$prefix/dosdevices"
[[ -d $dosdevices ]] || { echo "optical-drives.sh: no Wine prefix at $prefix" >&2; exit 1; }

# The letter whose device link leads to the drive, if any.
letter_of() {
    local link target
    target=$(readlink -f "$1")
    for link in "$dosdevices"/?::; do
        if [[ -L $link && $(readlink -f "$link") == "$target" ]]; then
            basename "$link" ::
            return
        fi
    done
}

# Where the drive's disc is mounted; a folder of the prefix when nothing is
# (an audio CD, or no disc).
mount_point_of() {
    local target mounted
    target=$(readlink -f "$1")
    mounted=$(awk -v dev="$target" '$1 == dev { print $2; exit }' /proc/mounts)
    if [[ -n $mounted ]]; then
        printf '%b\n' "$mounted"  # /proc/mounts writes a blank as \040
    else
        mkdir -p "$prefix/optical/$(basename "$target")"
        echo "$prefix/optical/$(basename "$target")"
    fi
}

new=()
for device in "${devices[@]}"; do
    letter=$(letter_of "$device")
    if [[ -z $letter ]]; then
        for candidate in {d..y}; do
            if [[ ! -e $dosdevices/$candidate: && ! -L $dosdevices/$candidate: && ! -L $dosdevices/$candidate:: ]]; then
                letter=$candidate
                break
            fi
        done
        [[ -n $letter ]] || { echo "optical-drives.sh: no free drive letter for $device" >&2; exit 1; }
        ln -s "$(mount_point_of "$device")" "$dosdevices/$letter:"
        ln -s "$device" "$dosdevices/$letter::"
        new+=("$letter")
    fi
    echo "${letter^^}: $device"
done

if ((${#new[@]})); then
    reg="$prefix/ondalux-optical.reg"
    {
        echo 'REGEDIT4'
        echo
        echo '[HKEY_LOCAL_MACHINE\Software\Wine\Drives]'
        for letter in "${new[@]}"; do
            echo "\"$letter:\"=\"cdrom\""
        done
        echo
    } > "$reg"
    wine regedit /S "$(wine winepath -w "$reg" | tr -d '\r')" >/dev/null 2>&1
    # The mount manager reads the drives when the next wineserver starts.
    wineserver -w
fi
