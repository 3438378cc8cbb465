#!/usr/bin/env bash
# rar2tool pack as the release engineer uses it: packs folders, and what it
# makes lists, tests and extracts; failures print one line, exit 1 and leave
# nothing half-written under the archive's name.
# Usage: rar2tool_pack_test.sh RAR2TOOL
set -uo pipefail
tool=$1
. "$(dirname "$0")/stand_in_programs.sh"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
. "$(dirname "$0")/checks.sh"

one_line_failure() {  # description, then the command
  failure_with_status 1 "$@"
}

usage_failure() {  # description, then the command: a wrong command line
  failure_with_status 2 "$@"
}

failure_with_status() {  # status, description, then the command
  local want=$1 what=$2; shift 2
  "$@" > "$work/out" 2> "$work/err"
  local status=$?
  check "$what: exit $want" test $status -eq "$want"
  check "$what: one line on stderr" test "$(wc -l < "$work/err")" -eq 1
  check "$what: names rar2tool" grep -q '^rar2tool: ' "$work/err"
}

# A product folder: text, a sound, an empty file, an empty folder, a
# Cyrillic name.
src="$work/Product"
mkdir -p "$src/Modules/boot" "$src/Empty" "$src/Модули"
for i in $(seq 1 400); do echo "line $i of the Orbivue viewer settings"; done > "$src/readme.txt"
head -c 30000 /dev/urandom > "$src/Modules/noise.bin"
: > "$src/Modules/boot/empty.cfg"
awk 'BEGIN { for (i = 0; i < 20000; i++) printf "%c", 128 + int(60 * sin(i / 9)) }' \
  > "$src/Модули/tone.raw"

for opts in "-m0" "-m1 -s" "-m3" "-m5 -s" "-m2 -mm" "-m4 -mm-" "-m3 -s -psecret"; do
  rm -f "$work/a.rar"
  # shellcheck disable=SC2086
  "$tool" pack $opts "$work/a.rar" "$src" > "$work/out" 2> "$work/err"
  check "pack $opts exits 0" test $? -eq 0
  check "pack $opts says nothing on stderr" test ! -s "$work/err"
  pw=()
  case "$opts" in *-p*) pw=(-psecret) ;; esac
  "$tool" test "${pw[@]}" "$work/a.rar" > "$work/out"
  check "test after pack $opts" grep -qx "4 passed, 0 failed" "$work/out"
done

"$tool" pack -m3 -s "$work/a.rar" "$src" > /dev/null
"$tool" list "$work/a.rar" > "$work/out"
check "list counts every entry" grep -qx "9 entries (solid)" "$work/out"
check "names use backslashes" grep -q 'Product\\Modules\\boot\\empty.cfg' "$work/out"
rm -rf "$work/x"
"$tool" extract "$work/a.rar" "$work/x" > /dev/null
check "extract exits 0" test $? -eq 0
check "extracted text equals the original" cmp -s "$src/readme.txt" "$work/x/Product/readme.txt"
check "extracted noise equals the original" cmp -s "$src/Modules/noise.bin" "$work/x/Product/Modules/noise.bin"
check "empty folder extracted" test -d "$work/x/Product/Empty"
check "Cyrillic name comes back in UTF-8" cmp -s "$src/Модули/tone.raw" "$work/x/Product/Модули/tone.raw"

# The setup layout takes a whole product: the folder's contents in the
# archive's root beside the programs the installation relies on. Its
# Cyrillic folder and file are created as named only on a Windows of code
# page 1251: a failure each, or a warning each when allowed.
setup="$work/SetupProduct"
cp -r "$src" "$setup"
stand_in_programs "$setup"
non_ascii_lines() {  # prefix ("" or "warning: "), archive, file of lines
  local why="has characters outside ASCII: Setup creates it under this name only on a Windows whose ANSI code page is 1251"
  check "$2 ${1:-failure}: two lines" test "$(wc -l < "$3")" -eq 2
  check "$2 ${1:-failure}: the folder" grep -qxF "rar2tool: $1$2: 'Модули' $why" "$3"
  check "$2 ${1:-failure}: the file" grep -qxF "rar2tool: $1$2: 'Модули\tone.raw' $why" "$3"
}
"$tool" pack --setup-layout "$work/setup.rar" "$setup"/* > "$work/out" 2> "$work/err"
check "setup layout with Cyrillic names: refused" test $? -eq 1
non_ascii_lines "" "$work/setup.rar" "$work/err"
check "setup layout with Cyrillic names: no archive" test ! -e "$work/setup.rar"
"$tool" pack --setup-layout --allow-non-ascii-names "$work/setup.rar" "$setup"/* > /dev/null \
  2> "$work/err"
check "setup layout packs with the names allowed" test $? -eq 0
non_ascii_lines "warning: " "$work/setup.rar" "$work/err"
"$tool" list "$work/setup.rar" > "$work/out"
check "setup layout lists deepest folder first" \
  test "$(sed -n 2p "$work/out" | awk '{print $NF}')" = 'Modules\boot'
"$tool" test "$work/setup.rar" > "$work/out" 2> "$work/err"
check "setup layout with Cyrillic names: test fails" test $? -eq 1
check "setup layout with Cyrillic names: every entry tested" grep -qx "24 passed, 0 failed" "$work/out"
non_ascii_lines "" "$work/setup.rar" "$work/err"
"$tool" test --allow-non-ascii-names "$work/setup.rar" > "$work/out" 2> "$work/err"
check "setup layout tests with the names allowed" test $? -eq 0
check "setup layout tests" grep -qx "24 passed, 0 failed" "$work/out"
non_ascii_lines "warning: " "$work/setup.rar" "$work/err"
# A name that code page 1251 cannot hold is refused once, for that, and not
# again (in the wrong characters) for lying outside ASCII.
mkdir -p "$work/Outside"
cp -r "$setup"/* "$work/Outside/"
echo x > "$work/Outside/日本.txt"
"$tool" pack --setup-layout "$work/outside.rar" "$work/Outside"/* > /dev/null 2> "$work/err"
check "a name outside code page 1251: not also one outside ASCII" \
  test "$(grep -c 'outside ASCII' "$work/err")" -eq 2
check "a name outside code page 1251: that line says why" \
  grep -q "日本.txt: name has characters outside code page 1251" "$work/err"

# --entry-time gives every entry one time: a copy of the product whose
# files and folders have other times packs to the bytes that the product
# packs to once all its times are that one.
stamp=1700000000
mkdir -p "$work/copy1" "$work/copy2"
cp -r "$src" "$work/copy1/"
cp -r "$src" "$work/copy2/"
find "$work/copy2" -exec touch -d @1500000000 {} +
find "$work/copy1" -exec touch -d "@$stamp" {} +
"$tool" pack -q -m3 -s "$work/touched.rar" "$work/copy1/Product" > /dev/null
"$tool" pack -q -m3 -s "$work/other-times.rar" "$work/copy2/Product" > /dev/null
check "--entry-time: other times make other bytes" \
  bash -c "! cmp -s '$work/touched.rar' '$work/other-times.rar'"
"$tool" pack -q -m3 -s --entry-time=$stamp "$work/stamped.rar" "$work/copy2/Product" > /dev/null
check "--entry-time: the bytes of the touched copy" cmp -s "$work/touched.rar" "$work/stamped.rar"
"$tool" list "$work/stamped.rar" > "$work/out"
check "--entry-time: all 9 entries have the time" \
  test "$(grep -c " $(date -d @$stamp '+%Y-%m-%d %H:%M:%S') " "$work/out")" -eq 9
# An option's empty value is that value: it does not take the next argument
# (which made the archive's path the password).
usage_failure "--password= with an empty value" "$tool" test -q --password= "$work/stamped.rar"
check "--password= with an empty value: says so" \
  grep -q "^rar2tool: an empty password was given" "$work/err"
for bad in "" abc -1 12x 0 315000000 4400000000 99999999999999999999; do
  usage_failure "--entry-time=$bad" "$tool" pack --entry-time="$bad" "$work/b.rar" "$src"
  check "--entry-time=$bad: says what is wrong" \
    grep -q "^rar2tool: --entry-time=$bad: \(expected a Unix time in seconds\|outside the years 1980 to 2107\)" \
    "$work/err"
done

# A solid archive stores the files that a short trial finds incompressible
# before its one compression: 1 MiB random files are stored, text is
# compressed, and so is random data too small for the trial.
mkdir -p "$work/Mixed"
for i in 1 2 3 4 5 6; do head -c 1048576 /dev/urandom > "$work/Mixed/noise$i.bin"; done
head -c 40000 /dev/urandom > "$work/Mixed/short.bin"
for i in $(seq 1 20000); do echo "channel $i of the Orbivue list, transponder $((i % 97))"; done \
  > "$work/Mixed/channels.txt"
"$tool" pack -m5 -s "$work/mixed.rar" "$work/Mixed" > "$work/out"
check "solid -m5: packs" test $? -eq 0
check "solid -m5: six files stored" grep -q "(6 files stored: compression would not shrink them)" \
  "$work/out"
"$tool" list "$work/mixed.rar" > "$work/out"
check "solid -m5: the random files listed stored" test "$(grep -c ' m0 .*noise[1-6].bin$' "$work/out")" -eq 6
check "solid -m5: the text compressed" grep -q ' m5 .*channels.txt$' "$work/out"
check "solid -m5: random data below the trial compressed" grep -q ' m5 .*short.bin$' "$work/out"
"$tool" test -q "$work/mixed.rar" > "$work/out"
check "solid -m5: test passes" grep -qx "8 passed, 0 failed" "$work/out"
"$tool" extract -q "$work/mixed.rar" "$work/xm" > /dev/null
check "solid -m5: every file comes back" diff -r "$work/Mixed" "$work/xm/Mixed"

# Failures: nothing is left behind, an older archive stays as it was.
cp "$work/a.rar" "$work/before.rar"
one_line_failure "missing input" "$tool" pack "$work/a.rar" "$src" "$work/nothing-here"
check "older archive kept" cmp -s "$work/a.rar" "$work/before.rar"
one_line_failure "missing folder for the archive" "$tool" pack "$work/no/such/dir/a.rar" "$src"
one_line_failure "archive is a folder" "$tool" pack "$src" "$src/readme.txt"
usage_failure "unknown option" "$tool" pack -m9 "$work/b.rar" "$src"
usage_failure "no inputs" "$tool" pack "$work/b.rar"
ascii="$work/AsciiProduct"
stand_in_programs "$ascii"
one_line_failure "setup layout with a password" "$tool" pack --setup-layout -px "$work/b.rar" \
  "$ascii"/*
mkfifo "$work/pipe"
one_line_failure "special file" "$tool" pack "$work/b.rar" "$work/pipe"
check "no archive made by a failure" test ! -e "$work/b.rar"
check "no temporary files left" test -z "$(find "$work" -name '.rar2tool-*')"

echo "$passed passed, $failed failed"
[ "$failed" -eq 0 ]
