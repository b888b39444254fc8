#!/usr/bin/env bash
# One layout for the whole tree: formats every C++ source that git tracks
# with the root's .clang-format (Debian's clang-format 14).
#   scripts/format.sh           format the files in place
#   scripts/format.sh --check   change nothing; fail, naming each file and
#                               line, where a file differs
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")/.."
mapfile -t files < <(git ls-files '*.cpp' '*.h')
case ${1:-} in
    "") clang-format -i "${files[@]}" ;;
    --check) clang-format --dry-run --Werror "${files[@]}" ;;
    *) echo "usage: scripts/format.sh [--check]" >&2; exit 2 ;;
esac
