#!/usr/bin/env bash
# The compiled help file: opens, holds every file of the project, the table
# of contents and the index, declares Japanese, and carries the contents'
# Japanese titles in code page 932.
#   help_file.sh ONDALUX_CHM HELP_SOURCE_DIR
set -u -o pipefail
chm=$1
src=$2
fail() { echo "FAIL: $*"; exit 1; }

listing=$(chmls list -p -n "$chm" 2>/dev/null) || fail "chmls cannot open $chm"
expected=$(sed -n '/^\[FILES\]/,/^\[/{/^\[/d;/./p}' "$src/Ondalux.hhp"; echo toc.hhc; echo index.hhk)
for f in $expected; do
    grep -qx "/$f" <<<"$listing" || fail "$f is not in the help file"
done
[[ $(grep -c '\.htm$' <<<"$listing") == $(ls "$src"/*.htm | wc -l) ]] || fail "pages not in the project's list"
# chmcmd writes a binary index's keywords byte by byte, unreadable in code
# page 932: the viewer must read the text index.
grep -q '^/\$WWKeywordLinks/BTree$' <<<"$listing" && fail "a binary index with garbled keywords"
echo "ok: $(wc -w <<<"$expected") files, every page of $src, no binary index"

# Read whole first: grep -q would stop reading early, and under pipefail
# chmls's broken pipe would fail the check.
system=$(chmls printsystem "$chm" 2>/dev/null)
grep -q 'LCID from HHP file *: 1041$' <<<"$system" || fail "the help file does not declare Japanese (0x0411)"
echo "ok: language 0x0411"

# The viewer reads the contents in code page 932: each title there as in the sources.
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
chmls extract "$chm" /toc.hhc "$work/toc.hhc" >/dev/null 2>&1 || fail "cannot extract the contents"
titles() { grep -o 'name="Name" value="[^"]*"' "$1"; }
[[ $(iconv -f CP932 -t UTF-8 "$work/toc.hhc" | titles /dev/stdin) == "$(titles "$src/toc.hhc")" ]] ||
    fail "the contents' titles are not the sources' in code page 932"
grep -q 'charset=Shift_JIS' "$work/toc.hhc" || fail "the contents do not declare Shift_JIS"
# Every page of the contents has at least one index entry.
chmls extract "$chm" /index.hhk "$work/index.hhk" >/dev/null 2>&1 || fail "cannot extract the index"
for page in $(grep -o 'value="[a-z]*\.htm"' "$src/toc.hhc" | cut -d'"' -f2); do
    grep -q "value=\"$page\"" "$work/index.hhk" || fail "no index entry leads to $page"
done
echo "ok: contents and index in Japanese, every page indexed"
