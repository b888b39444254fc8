#!/usr/bin/env bash
# The benchmark (not part of the test command): builds what it needs and
# prints tables of the refresh tick's cost, MCI commands per tick, the start
# skew of a synchronised play (in MCI commands, and heard: in samples of the
# recorded sound), start-up and idle CPU, each figure beside its floor (the
# platform's own cost of the same work) and the ratio.
#   scripts/bench.sh [--quick] [--ticks | --program-only] [--program=EXE]
# docs/benchmarks.md holds measured numbers and how to read them.
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/common.sh"

ensure_packages
BUILD_TARGETS="benchmark simcd uiprobe sound_floor" build_all >/dev/null
prepare_prefix
wine_env
cd "$build"
in_virtual_session wine bench/program/benchmark.exe "$@"
# The skew heard: recorded from a sound server of its own.
if [[ " $* " != *" --ticks "* ]]; then
    eval "$("$repo/scripts/sound-server.sh" start "$build/sound")"
    trap '"$repo/scripts/sound-server.sh" stop "$build/sound"' EXIT
    echo
    in_virtual_session bash "$repo/bench/program/sound_skew.sh" "$build" $([[ " $* " == *" --quick "* ]] && echo --quick)
fi
