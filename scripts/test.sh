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
# The sound tests record what the drives play from a sound server of their own.
eval "$("$repo/scripts/sound-server.sh" start "$build/sound")"
trap '"$repo/scripts/sound-server.sh" stop "$build/sound"' EXIT

cd "$build"
in_virtual_session ctest --output-on-failure "$@"
