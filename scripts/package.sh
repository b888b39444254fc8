#!/usr/bin/env bash
# The release archive for Windows users: builds everything of the 32-bit
# build (program, driver, tools, tests) in its own build folder (build-win32,
# or PACKAGE_BUILD_DIR), runs its suites labelled emulated32 under 32-bit Wine
# (emulated by qemu-i386 where the machine runs no 32-bit code) and only when
# they pass writes Ondalux-VERSION-win32.zip there, holding the very
# Ondalux.exe they started, Ondalux.chm and readme.txt (Japanese, code page
# 932, CRLF).
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/common.sh"

packages+=(zip)
ensure_packages

# The version of the CMake project, which the resources' version block must
# agree with.
version=$(sed -n 's/^project(Ondalux VERSION \([0-9.]*\).*/\1/p' "$repo/CMakeLists.txt")
[[ $version =~ ^[0-9]+\.[0-9]+\.[0-9]+$ ]] || { echo "package.sh: no project version" >&2; exit 1; }
grep -q "FILEVERSION ${version//./,},0\$" "$repo/res/Ondalux.rc" ||
    { echo "package.sh: the version block of res/Ondalux.rc is not $version" >&2; exit 1; }

build_in "$build_win32" i686 -DBUILD_TESTING=ON
prepare_prefix "$build_win32" i686
# The sound tests record what the drives play from a sound server of their own.
eval "$("$repo/scripts/sound-server.sh" start "$build_win32/sound")"
trap '"$repo/scripts/sound-server.sh" stop "$build_win32/sound"' EXIT
run_32bit_suites "$build_win32" ||
    { echo "package.sh: the 32-bit suites failed; no archive written" >&2; exit 1; }

stage="$build_win32/package"
zip="$build_win32/Ondalux-$version-win32.zip"
rm -rf "$stage" "$zip"
mkdir -p "$stage"
cp "$build_win32/app/Ondalux.exe" "$build_win32/app/Ondalux.chm" "$stage/"
sed "s/@VERSION@/$version/" "$repo/docs/readme-windows.txt" | iconv -f UTF-8 -t CP932 |
    sed 's/$/\r/' > "$stage/readme.txt"
(cd "$stage" && zip -q -X "$zip" Ondalux.exe Ondalux.chm readme.txt)

# What a Windows user unpacks: exactly the three files, a 32-bit program, the
# same bytes the 32-bit suites started.
[[ $(unzip -Z1 "$zip" | sort | tr '\n' ' ') == "Ondalux.chm Ondalux.exe readme.txt " ]] ||
    { echo "package.sh: unexpected files in $zip" >&2; exit 1; }
grep -q "file format pei-i386" <<<"$(LC_ALL=C i686-w64-mingw32-objdump -f "$stage/Ondalux.exe")" ||
    { echo "package.sh: Ondalux.exe is not a 32-bit program" >&2; exit 1; }
[[ $(unzip -p "$zip" Ondalux.exe | sha256sum) == "$(cat "$build_win32/tested-program.sha256")" ]] ||
    { echo "package.sh: the archive's Ondalux.exe is not the one the 32-bit suites started" >&2; exit 1; }
iconv -f CP932 -t UTF-8 "$stage/readme.txt" >/dev/null && ! grep -qv $'\r$' "$stage/readme.txt" ||
    { echo "package.sh: readme.txt is not code page 932 with CRLF line ends" >&2; exit 1; }
echo "$zip ($(stat -c %s "$zip") bytes; its Ondalux.exe passed the 32-bit suites)"
