#!/usr/bin/env bash
# The test command: installs what is missing, builds, prepares the Wine
# prefix and runs every test under Wine on a virtual display. Extra
# arguments go to ctest (for instance -R simcd).
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/common.sh"

ensure_packages
build_all
prepare_prefix
wine_env

cd "$build"
xvfb-run -a -s "-screen 0 1280x1024x24" \
    "$repo/scripts/wine-session.sh" ctest --output-on-failure "$@"
