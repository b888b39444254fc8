#!/usr/bin/env bash
# The soak of the built program, longer than the test suite's run:
#   scripts/soak.sh [SECONDS] [SEED]      (default 600 s, a seed of the clock)
# Builds what it needs, then prints the seed, the events and the counters.
# A failure names the seed: run again with it to replay the same events.
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/common.sh"

seconds=${1:-600}
seed_arg=()
[[ -n ${2:-} ]] && seed_arg=(--seed="$2")

ensure_packages
BUILD_TARGETS="soak_tests simcd" build_all >/dev/null
prepare_prefix
wine_env
cd "$build"
in_virtual_session wine tests/soak/soak_tests.exe --gtest_filter=Soak.* --seconds="$seconds" "${seed_arg[@]}"
