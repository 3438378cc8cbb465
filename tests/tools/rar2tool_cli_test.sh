#!/usr/bin/env bash
# rar2tool as the release engineer uses it: exit codes, messages, extraction.
# Usage: rar2tool_cli_test.sh RAR2TOOL TESTDATA_DIR
set -uo pipefail
tool=$1
data=$2
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
. "$(dirname "$0")/checks.sh"

# Not an archive, missing, empty: one line on stderr, exit 1.
printf 'hello, not an archive at all, just text\n' > "$work/text.rar"
: > "$work/empty.rar"
for f in "$work/text.rar" "$work/empty.rar" "$work/missing.rar"; do
  "$tool" list "$f" > "$work/out" 2> "$work/err"
  check "list $f exits 1" test $? -eq 1
  check "list $f one stderr line" test "$(wc -l < "$work/err")" -eq 1
  check "list $f names the file" grep -q "^rar2tool: $f: " "$work/err"
done
check "not an archive message" grep -q "not a RAR archive" <(
  "$tool" test "$work/text.rar" 2>&1)
"$tool" frobnicate 2> "$work/err"
check "unknown command exits 2" test $? -eq 2

if [ -d "$data/rar" ]; then
  "$tool" list "$data/rar/lz-wav-unpack20.rar" > "$work/out"
  check "list exits 0" test $? -eq 0
  check "list shows the wav" grep -q "56464 *42551 m5 *20 82D2ED89 2022-03-10 11:02:20 BoatModernEnglish.wav" "$work/out"
  check "list count line" grep -qx "2 entries" "$work/out"

  "$tool" test "$data/rar/stored-comments-unpack20.rar" > "$work/out"
  check "test of stored entries passes" test $? -eq 0
  check "test summary" grep -qx "2 passed, 0 failed" "$work/out"

  "$tool" test "$data/rar/stored-unpack29.rar" > "$work/out"
  check "unsupported version fails" test $? -ne 0
  check "reason given" grep -q "FAILED foo.txt: unsupported version 29" "$work/out"

  "$tool" extract "$data/rar/stored-comments-unpack20.rar" "$work/x" > /dev/null
  check "extract exits 0" test $? -eq 0
  check "extracted file" test -s "$work/x/FILE1.TXT"

  # A truncated copy: listed as far as it goes, then an error line.
  head -c 150 "$data/rar/stored-comments-unpack20.rar" > "$work/cut.rar"
  "$tool" list "$work/cut.rar" > /dev/null 2> "$work/err"
  check "truncated archive exits 1" test $? -eq 1
  check "truncated archive message" grep -q "truncated" "$work/err"
else
  echo "skipping the real-archive checks: $data is absent"
fi

echo "$passed passed, $failed failed"
[ "$failed" -eq 0 ]
