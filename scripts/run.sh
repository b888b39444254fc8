#!/usr/bin/env bash
# The run command: installs what is missing, builds, prepares the Wine
# prefix and starts the program.
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/common.sh"

ensure_packages
build_all
prepare_prefix
wine_env

if [[ ! -f $build/app/Ondalux.exe ]]; then
    echo "Ondalux.exe is not built yet: the program itself is still to come."
    exit 0
fi
