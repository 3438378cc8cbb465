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
# archive's root beside the programs the installation relies on.
setup="$work/SetupProduct"
cp -r "$src" "$setup"
stand_in_programs "$setup"
"$tool" pack --setup-layout "$work/setup.rar" "$setup"/* > /dev/null
check "setup layout packs" test $? -eq 0
"$tool" list "$work/setup.rar" > "$work/out"
check "setup layout lists deepest folder first" \
  test "$(sed -n 2p "$work/out" | awk '{print $NF}')" = 'Modules\boot'
"$tool" test "$work/setup.rar" > "$work/out"
check "setup layout tests" grep -qx "24 passed, 0 failed" "$work/out"

# Failures: nothing is left behind, an older archive stays as it was.
cp "$work/a.rar" "$work/before.rar"
one_line_failure "missing input" "$tool" pack "$work/a.rar" "$src" "$work/nothing-here"
check "older archive kept" cmp -s "$work/a.rar" "$work/before.rar"
one_line_failure "missing folder for the archive" "$tool" pack "$work/no/such/dir/a.rar" "$src"
one_line_failure "archive is a folder" "$tool" pack "$src" "$src/readme.txt"
usage_failure "unknown option" "$tool" pack -m9 "$work/b.rar" "$src"
usage_failure "no inputs" "$tool" pack "$work/b.rar"
one_line_failure "setup layout with a password" "$tool" pack --setup-layout -px "$work/b.rar" \
  "$setup"/*
mkfifo "$work/pipe"
one_line_failure "special file" "$tool" pack "$work/b.rar" "$work/pipe"
check "no archive made by a failure" test ! -e "$work/b.rar"
check "no temporary files left" test -z "$(find "$work" -name '.rar2tool-*')"

echo "$passed passed, $failed failed"
[ "$failed" -eq 0 ]
