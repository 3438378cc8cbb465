#!/usr/bin/env bash
# rar2tool under faults and at scale: interrupted extraction, failed writes,
# too little memory, input that is no archive, trees of many files, names
# that are not UTF-8. Timings are the benchmark's business, never checked here.
# Usage: rar2tool_faults_test.sh RAR2TOOL
set -uo pipefail
tool=$1
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
passed=0
failed=0

check() {  # description, then a command that must succeed
  local what=$1; shift
  if "$@"; then passed=$((passed + 1)); else echo "FAIL: $what" >&2; failed=$((failed + 1)); fi
}
# find stops at the first match, so no grep -q closes the pipe early under pipefail.
no_temporaries() { [ -z "$(find "$1" -name '.rar2tool-*' -print -quit)" ]; }

# An interrupted extract leaves no file under the entry's name, and no
# temporary one. The process is stopped while its temporary file exists,
# so that the signal lands in the middle of the entry.
mkdir -p "$work/big"
head -c 96000000 /dev/zero > "$work/big/zeros.bin"
"$tool" pack -q -m0 "$work/big.rar" "$work/big" > /dev/null
interrupt_extract() {  # signal, expected status
  local out="$work/x-$1"
  set -m  # a background job of a script would otherwise ignore SIGINT
  "$tool" extract -q "$work/big.rar" "$out" > /dev/null 2>&1 &
  local pid=$!
  set +m
  local seen=0
  for _ in $(seq 1 2000); do
    if [ -n "$(find "$out" -name '.rar2tool-*' -print -quit 2>/dev/null)" ]; then seen=1; break; fi
    kill -0 "$pid" 2>/dev/null || break
    sleep 0.005
  done
  kill -STOP "$pid" 2>/dev/null
  kill "-$1" "$pid" 2>/dev/null
  kill -CONT "$pid" 2>/dev/null
  wait "$pid"
  local status=$?
  if [ "$seen" -eq 1 ]; then
    check "$1 mid-entry: ended by the signal" test "$status" -eq "$2"
    check "$1 mid-entry: no file under its name" test ! -e "$out/big/zeros.bin"
  else
    echo "note: the $1 run never showed its temporary file; only the invariants are checked"
  fi
  check "$1: no temporary file left" no_temporaries "$out"
  if [ -e "$out/big/zeros.bin" ]; then
    check "$1: a file under its name is whole" cmp -s "$out/big/zeros.bin" "$work/big/zeros.bin"
  fi
  # A rerun with -k keeps only whole files, so this one ends complete.
  "$tool" extract -q -k "$work/big.rar" "$out" > /dev/null
  check "$1: the rerun completes the file" cmp -s "$out/big/zeros.bin" "$work/big/zeros.bin"
}
interrupt_extract TERM 143
interrupt_extract INT 130

# A write that fails names the file, and leaves nothing under its name.
(
  ulimit -f 1000  # 1000 blocks: the 96 MB file cannot be written
  trap '' XFSZ
  "$tool" extract -q "$work/big.rar" "$work/x-limit" > /dev/null 2> "$work/err"
)
check "a failed write: exit 1" test $? -eq 1
check "a failed write names the file" grep -q "x-limit/big/zeros.bin: cannot write" "$work/err"
check "a failed write: one line" test "$(wc -l < "$work/err")" -eq 1
check "a failed write: no file under its name" test ! -e "$work/x-limit/big/zeros.bin"
check "a failed write: no temporary file" no_temporaries "$work/x-limit"

# Every write to standard output is checked.
mkdir -p "$work/small"
echo "one" > "$work/small/one.txt"
"$tool" pack -q "$work/small.rar" "$work/small" > /dev/null
for cmd in "list" "test" "test -q" "extract"; do
  rm -rf "$work/x-full"
  # shellcheck disable=SC2086
  "$tool" $cmd "$work/small.rar" $([ "$cmd" = extract ] && echo "$work/x-full") \
    > /dev/full 2> "$work/err"
  check "$cmd > /dev/full: exit 1" test $? -eq 1
  check "$cmd > /dev/full: one line naming standard output" \
    test "$(grep -c '^rar2tool: standard output: cannot write' "$work/err")" -eq 1 -a \
    "$(wc -l < "$work/err")" -eq 1
done
"$tool" pack "$work/full.rar" "$work/small" > /dev/full 2> "$work/err"
check "pack > /dev/full: exit 1" test $? -eq 1

# Too little memory is one line and exit 1, never an abort. Under
# AddressSanitizer a limit on the address space stops the sanitizer itself
# (it reserves its shadow memory first), so the plain build alone shows it;
# the build says which it is.
if [ "${ORBIVUE_SANITIZED:-0}" = 1 ]; then
  echo "skip: memory limits, as $tool is built with AddressSanitizer"
else
  (
    ulimit -v 150000
    "$tool" pack -q "$work/oom.rar" "$work/big" > /dev/null 2> "$work/err"
  )
  status=$?
  check "pack without memory: exit 1 (not an abort)" test "$status" -eq 1
  check "pack without memory: one line" test "$(wc -l < "$work/err")" -eq 1
  check "pack without memory: says so" grep -q "out of memory\|Cannot allocate memory" "$work/err"
  check "pack without memory: no archive" test ! -e "$work/oom.rar"
  (
    ulimit -v 150000
    "$tool" test "$work/big.rar" > "$work/out" 2> "$work/err"
  )
  check "test without memory: exit 1" test $? -eq 1
  check "test without memory: the entry's reason" \
    grep -q "^FAILED big\\\\zeros.bin: out of memory for its 96000000 bytes" "$work/out"
fi

# What is no archive is known from its first bytes, whatever its length.
timeout 10 "$tool" test /dev/zero > /dev/null 2> "$work/err"
check "test /dev/zero: exit 1 at once" test $? -eq 1
check "test /dev/zero: not an archive" grep -qx "rar2tool: /dev/zero: not a RAR archive" "$work/err"
timeout 10 "$tool" list - < /dev/zero > /dev/null 2> "$work/err"
check "list of zeros on standard input: exit 1" test $? -eq 1

# "-" is standard input for list and test.
"$tool" test - < "$work/small.rar" > "$work/out"
check "test -: exit 0" test $? -eq 0
check "test -: the entry" grep -qx "OK small\\\\one.txt" "$work/out"
cat "$work/small.rar" | "$tool" list - > "$work/out"
check "list from a pipe" grep -q "small\\\\one.txt$" "$work/out"

# -q quiets extract's per-file lines; the summary stays.
"$tool" extract -q "$work/small.rar" "$work/x-quiet" > "$work/out"
check "extract -q: the summary alone" test "$(cat "$work/out")" = "1 file extracted"

# Names: bytes that are not UTF-8 are refused, and a message stays one line
# whatever the name holds.
mkdir -p "$work/names"
: > "$work/names/caf"$'\xE9'".txt"
: > "$work/names/two"$'\n'"lines.txt"
: > "$work/names/fine.txt"
"$tool" pack "$work/names.rar" "$work/names" > /dev/null 2> "$work/err"
check "odd names: exit 1" test $? -eq 1
check "odd names: one line each" test "$(wc -l < "$work/err")" -eq 2
check "not UTF-8: refused, the byte shown escaped" \
  grep -q 'names/caf\\xE9.txt: name is not valid UTF-8' "$work/err"
check "a newline in a name: escaped" grep -q 'names/two\\x0Alines.txt: ' "$work/err"
check "odd names: no archive" test ! -e "$work/names.rar"

# Every problem of a tree in one run, not only those of names.
mkdir -p "$work/tree/a" "$work/tree/b"
mkfifo "$work/tree/a/pipe"
ln -s "$work/nowhere" "$work/tree/b/dangling"
: > "$work/tree/b/AUX"
"$tool" pack "$work/tree.rar" "$work/tree" > /dev/null 2> "$work/err"
check "tree problems: exit 1" test $? -eq 1
check "tree problems: the pipe" grep -q "tree/a/pipe: not a regular file or folder" "$work/err"
check "tree problems: the dangling link" grep -q "tree/b/dangling: No such file" "$work/err"
check "tree problems: the reserved name" grep -q "tree/b/AUX: " "$work/err"
check "tree problems: three lines" test "$(wc -l < "$work/err")" -eq 3

# Incompressible data is stored, and comes back whole.
mkdir -p "$work/random"
head -c 6000000 /dev/urandom > "$work/random/noise.bin"
echo "text text text text text text text" > "$work/random/text.txt"
"$tool" pack -q -m3 "$work/random.rar" "$work/random" > "$work/out"
check "random data: stored" grep -q "1 file stored" "$work/out"
check "random data: listed as stored" grep -q " m0 .*noise.bin$" <("$tool" list "$work/random.rar")
"$tool" extract -q "$work/random.rar" "$work/x-random" > /dev/null
check "random data: comes back" cmp -s "$work/random/noise.bin" "$work/x-random/random/noise.bin"

# 20,000 entries: every one tested and extracted. Under AddressSanitizer,
# whose allocator maps and unmaps each of the packer's large tables anew,
# 2,000 of them: the plain build runs the full count.
folders=100
[ "${ORBIVUE_SANITIZED:-0}" = 1 ] && folders=10
files=$((folders * 200)) last=$(printf '%02d' $((folders - 1)))
mkdir -p "$work/many"
(
  cd "$work/many" || exit 1
  for d in $(seq -f %02g 0 $((folders - 1))); do
    mkdir "d$d"
    for f in $(seq -w 0 199); do echo "$d $f" > "d$d/f$f.txt"; done
  done
)
"$tool" pack -q "$work/many.rar" "$work/many" > /dev/null
check "$files files: packed" test $? -eq 0
"$tool" test -q "$work/many.rar" > "$work/out"
check "$files files: test passes" test $? -eq 0
check "$files files: all counted" grep -qx "$files passed, 0 failed" "$work/out"
"$tool" extract -q "$work/many.rar" "$work/x-many" > "$work/out"
check "$files files: extracted" grep -qx "$files files extracted" "$work/out"
check "$files files: the last one right" grep -qx "$last 199" "$work/x-many/many/d$last/f199.txt"
check "$files files: no temporary file" no_temporaries "$work/x-many"

echo "$passed passed, $failed failed"
[ "$failed" -eq 0 ]
