#!/usr/bin/env bash
# Prepares the private Wine prefix that runs and tests the program:
#   scripts/wineprefix.sh PREFIX [SIMCD_DLL [sim|real]]
# 32-bit (64-bit where WINEARCH says win64), no Mono/Gecko prompts, Japanese fonts linked into the UI fonts,
# Marlett for the symbols of window frames and scroll bars,
# no window-manager waits, and, when the simulated CD audio driver's DLL is
# given, that driver copied in. Mode sim (the default) registers it for the
# device type "cdaudio"; mode real registers Wine's own driver (mcicda.dll),
# which plays real CD-ROM drives. Idempotent: a prepared prefix costs only the
# copy of the driver, and the registry is written only when the mode changes.
set -euo pipefail

prefix=$(realpath -m "${1:?usage: wineprefix.sh PREFIX [SIMCD_DLL [sim|real]]}")
driver=${2:-}
mode=${3:-sim}
case $mode in
    sim) cdaudio=simcdaudio.dll ;;
    real) cdaudio=mcicda.dll ;;
    *) echo "wineprefix.sh: mode is sim or real, not $mode" >&2; exit 2 ;;
esac
export WINEPREFIX=$prefix WINEARCH=${WINEARCH:-win32} WINEDEBUG=-all LANG=ja_JP.UTF-8 LC_ALL=ja_JP.UTF-8
stamp_version="4 $WINEARCH"

# A REG_MULTI_SZ holding one string, in regedit's hex(7) notation. A REGEDIT4
# file is ANSI: one byte per character (two would store one-letter strings).
multi_sz() {
    local s=$1 out="" i
    for ((i = 0; i < ${#s}; i++)); do
        out+=$(printf '%02x,' "'${s:i:1}")
    done
    printf 'hex(7):%s00,00' "$out"
}

stamp="$prefix/.ondalux-prefix"
if [[ ! -f $stamp || $(cat "$stamp") != "$stamp_version" ]]; then
    # A prefix of the other architecture cannot be converted.
    [[ -f $stamp ]] && rm -rf "$prefix"
    mkdir -p "$prefix"
    WINEDLLOVERRIDES="mscoree,mshtml=" wine wineboot -i >/dev/null 2>&1
    wineserver -w

    link=$(multi_sz "NotoSansCJK-Regular.ttc,Noto Sans CJK JP")
    reg="$prefix/ondalux-settings.reg"
    {
        echo 'REGEDIT4'
        echo
        echo '[HKEY_LOCAL_MACHINE\Software\Microsoft\Windows NT\CurrentVersion\FontLink\SystemLink]'
        for face in "Tahoma" "Tahoma Bold" "MS UI Gothic" "MS Shell Dlg" "MS Shell Dlg 2" "Segoe UI"; do
            echo "\"$face\"=$link"
        done
        echo
        # Without a window manager (Xvfb) every hide or destroy of a managed
        # top-level window waits two seconds.
        echo '[HKEY_CURRENT_USER\Software\Wine\X11 Driver]'
        echo '"Managed"="N"'
        echo
    } > "$reg"
    wine regedit /S "$(wine winepath -w "$reg" | tr -d '\r')" >/dev/null 2>&1
    wineserver -w
    echo "$stamp_version" > "$stamp"
fi

# Wine draws the caption buttons, scroll arrows and check marks with Marlett.
# Debian's Wine 8 does not load the fonts that fonts-wine puts in its data
# folder (/usr/share/wine/fonts), so the prefix gets a copy.
marlett=/usr/share/wine/fonts/marlett.ttf
fonts="$prefix/drive_c/windows/Fonts"
if [[ -f $marlett ]] && ! cmp -s "$marlett" "$fonts/marlett.ttf"; then
    mkdir -p "$fonts"
    cp "$marlett" "$fonts/marlett.ttf"
fi

if [[ -n $driver ]]; then
    # winmm loads the driver with LoadLibrary by the registered name: a copy in
    # system32 keeps blanks of the build path out of that name.
    sys32="$prefix/drive_c/windows/system32"
    if ! cmp -s "$driver" "$sys32/simcdaudio.dll"; then
        cp "$driver" "$sys32/simcdaudio.dll"
    fi
    # The registry file itself says which driver is named (`simcd register` and
    # `simcd unregister` may have changed it since).
    named=$(awk '/^\[Software\\\\Microsoft\\\\Windows NT\\\\CurrentVersion\\\\MCI\]/ { on = 1; next }
                 /^\[/ { on = 0 }
                 on && /^"cdaudio"=/ { sub(/^"cdaudio"="/, ""); sub(/"$/, ""); print }' \
            "$prefix/system.reg")
    if [[ $named != "$cdaudio" ]]; then
        reg="$prefix/ondalux-driver.reg"
        {
            echo 'REGEDIT4'
            echo
            # Wine reads MCI, Windows NT reads MCI32: the driver is named in both.
            echo '[HKEY_LOCAL_MACHINE\Software\Microsoft\Windows NT\CurrentVersion\MCI]'
            echo "\"cdaudio\"=\"$cdaudio\""
            echo
            echo '[HKEY_LOCAL_MACHINE\Software\Microsoft\Windows NT\CurrentVersion\MCI32]'
            echo "\"cdaudio\"=\"$cdaudio\""
            echo
        } > "$reg"
        wine regedit /S "$(wine winepath -w "$reg" | tr -d '\r')" >/dev/null 2>&1
        wineserver -w
    fi
fi
