#!/usr/bin/env bash
# The release archive for Windows users: builds the 32-bit program and its
# help file in their own build folder (build-win32, or PACKAGE_BUILD_DIR) and
# writes Ondalux-VERSION-win32.zip there, holding Ondalux.exe, Ondalux.chm and
# readme.txt (Japanese, code page 932, CRLF). Builds the 32-bit program also
# on a machine that cannot run it.
set -euo pipefail
ONDALUX_ARCH=i686
BUILD_DIR=${PACKAGE_BUILD_DIR:-$(dirname "${BASH_SOURCE[0]}")/../build-win32}
source "$(dirname "${BASH_SOURCE[0]}")/common.sh"

packages=(cmake make python3 g++-mingw-w64-i686-posix fp-utils zip)
ensure_packages

# The version of the CMake project, which the resources' version block must
# agree with.
version=$(sed -n 's/^project(Ondalux VERSION \([0-9.]*\).*/\1/p' "$repo/CMakeLists.txt")
[[ $version =~ ^[0-9]+\.[0-9]+\.[0-9]+$ ]] || { echo "package.sh: no project version" >&2; exit 1; }
grep -q "FILEVERSION ${version//./,},0\$" "$repo/res/Ondalux.rc" ||
    { echo "package.sh: the version block of res/Ondalux.rc is not $version" >&2; exit 1; }

cmake -S "$repo" -B "$build" -DCMAKE_TOOLCHAIN_FILE="$repo/cmake/mingw-i686.cmake" \
      -DCMAKE_BUILD_TYPE=Release -DBUILD_TESTING=OFF >/dev/null
cmake --build "$build" -j "$(nproc)" --target Ondalux helpfile -- --no-print-directory

stage="$build/package"
zip="$build/Ondalux-$version-win32.zip"
rm -rf "$stage" "$zip"
mkdir -p "$stage"
cp "$build/app/Ondalux.exe" "$build/app/Ondalux.chm" "$stage/"
# The shipped program without the compiler's debugging sections.
i686-w64-mingw32-strip "$stage/Ondalux.exe"
sed "s/@VERSION@/$version/" "$repo/docs/readme-windows.txt" | iconv -f UTF-8 -t CP932 |
    sed 's/$/\r/' > "$stage/readme.txt"
(cd "$stage" && zip -q -X "$zip" Ondalux.exe Ondalux.chm readme.txt)

# What a Windows user unpacks: exactly the three files, a 32-bit program.
[[ $(unzip -Z1 "$zip" | sort | tr '\n' ' ') == "Ondalux.chm Ondalux.exe readme.txt " ]] ||
    { echo "package.sh: unexpected files in $zip" >&2; exit 1; }
grep -q "file format pei-i386" <<<"$(i686-w64-mingw32-objdump -f "$stage/Ondalux.exe")" ||
    { echo "package.sh: Ondalux.exe is not a 32-bit program" >&2; exit 1; }
iconv -f CP932 -t UTF-8 "$stage/readme.txt" >/dev/null && ! grep -qv $'\r$' "$stage/readme.txt" ||
    { echo "package.sh: readme.txt is not code page 932 with CRLF line ends" >&2; exit 1; }
echo "$zip ($(stat -c %s "$zip") bytes)"
