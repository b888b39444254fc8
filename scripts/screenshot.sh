#!/usr/bin/env bash
# Makes the README's picture, docs/screenshot.png: the program on the
# simulated demo drives, three discs playing, taken by the run command's
# screenshot mode on a virtual display.
set -euo pipefail
repo=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
DISPLAY= exec "$repo/scripts/run.sh" --demo --screenshot "$repo/docs/screenshot.png"
