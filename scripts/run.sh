#!/usr/bin/env bash
# The run command: installs what is missing, builds, prepares the Wine prefix
# and starts Ondalux from its build folder, next to its help file.
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/common.sh"

usage() {
    cat <<'TEXT'
scripts/run.sh [--demo] [--real] [--screenshot FILE]

Without a CD-ROM drive on the machine the program runs on the simulated demo
world (four drives, three discs); with one, on the real drives through
Wine's own CD audio driver. --demo and --real choose explicitly.
With an X display the window opens there and the command returns when it is
closed. Without one, the program runs on a virtual display for a few
seconds, plays the demo discs, and a screenshot is saved (default
build/screenshots/ondalux.png) and its path printed.
TEXT
}

world=auto
shot=""
while (( $# )); do
    case $1 in
        --demo) world=demo ;;
        --real) world=real ;;
        --screenshot) shot=${2:?--screenshot needs a file}; shift ;;
        -h|--help) usage; exit 0 ;;
        *) echo "run.sh: unknown option '$1' (try --help)" >&2; exit 2 ;;
    esac
    shift
done
if [[ $world == auto ]]; then
    if compgen -G "/dev/sr[0-9]*" >/dev/null; then world=real; else world=demo; fi
fi

ensure_packages
build_all
prepare_prefix
wine_env
# Wine's CD audio driver reaches only drives that have a CD-ROM letter.
if [[ $world == real ]]; then "$repo/scripts/optical-drives.sh" "$prefix"; fi

exe="$build/app/Ondalux.exe"
if [[ -n ${DISPLAY:-} && -z $shot ]]; then
    echo "Starting Ondalux on the $world drives."
    ONDALUX_WORLD=$world ONDALUX_WM=managed \
        "$repo/scripts/wine-session.sh" "$repo/scripts/session-run.sh" "$exe"
else
    shot=$(realpath -m "${shot:-$build/screenshots/ondalux.png}")
    mkdir -p "$(dirname "$shot")"
    ONDALUX_WORLD=$world ONDALUX_SHOT=$shot \
        in_virtual_session "$repo/scripts/session-run.sh" "$exe"
    echo "Screenshot: $shot"
fi
