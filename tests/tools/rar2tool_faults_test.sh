#!/usr/bin/env bash
# rar2tool under faults and at scale: interrupted extraction, failed writes,
# too little memory, input that is no archive, trees of many files, names
# that are not UTF-8. Timings are the benchmark's business, never checked here.
# Usage: rar2tool_faults_test.sh RAR2TOOL
set -uo pipefail
tool=$(realpath "$1")
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
. "$(dirname "$0")/checks.sh"

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

# A full file system is one cause, told once for DIR with the entries it
# stopped, whatever folder each would have gone to. A 1 MiB tmpfs, mounted
# in a mount namespace of its own (gone with it), holds the small file and
# one of three 600 kB files.
mkdir -p "$work/full/d1" "$work/full/d2"
for f in d1/a d1/b d2/c; do head -c 600000 /dev/urandom > "$work/full/$f.bin"; done
echo small > "$work/full/tiny.txt"
"$tool" pack -q -m0 "$work/full.rar" "$work/full" > /dev/null
mkdir -p "$work/mnt"
in_small_fs='mount -t tmpfs -o size=1m rar2tool-test "$1" || exit 99
"$2" extract "$3" "$1/out" > "$4/out" 2> "$4/err"
echo $? > "$4/status"
cp -a "$1/out" "$4/copied"'
unshare -m sh -c "$in_small_fs" sh "$work/mnt" "$tool" "$work/full.rar" "$work" 2> /dev/null ||
  unshare -rm sh -c "$in_small_fs" sh "$work/mnt" "$tool" "$work/full.rar" "$work" 2> /dev/null
if [ -e "$work/status" ]; then
  check "a full disk: exit 1" test "$(cat "$work/status")" -eq 1
  check "a full disk: one line for DIR" test "$(cat "$work/err")" = \
    "rar2tool: $work/mnt/out: cannot write: No space left on device (2 entries not extracted)"
  check "a full disk: what fitted is extracted" grep -qx "2 files extracted" "$work/out"
  check "a full disk: the small file whole" cmp -s "$work/full/tiny.txt" "$work/copied/full/tiny.txt"
  check "a full disk: the first large file whole" cmp -s "$work/full/d1/a.bin" "$work/copied/full/d1/a.bin"
  check "a full disk: nothing under the others' names" \
    test ! -e "$work/copied/full/d1/b.bin" -a ! -e "$work/copied/full/d2/c.bin"
  check "a full disk: no temporary file" no_temporaries "$work/copied"
else
  echo "skip: a full disk, as no small tmpfs could be mounted here"
fi

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

# A compressed entry of 64 MB: its archive is small, its entry is not.
mkdir -p "$work/packed"
head -c 64000000 /dev/zero > "$work/packed/zeros.bin"
"$tool" pack -q -m1 "$work/packed.rar" "$work/packed" > /dev/null

# Too little memory is one line and exit 1, never an abort. Under
# AddressSanitizer a limit on the address space stops the sanitizer itself
# (it reserves its shadow memory first), so the plain build alone shows it;
# the build says which it is.
if [ "${ORBIVUE_SANITIZED:-0}" = 1 ]; then
  echo "skip: memory limits, as $tool is built with AddressSanitizer"
else
  # Pack reads its files in pieces and writes the archive as it goes: a
  # 600 MB file (sparse, so quick to make) packs in 100 MB of address space,
  # solid and encrypted too, and comes back whole.
  mkdir -p "$work/sparse"
  truncate -s 600M "$work/sparse/zeros.bin"
  for options in "-m1" "-m3 -s -psecret"; do
    # shellcheck disable=SC2086
    (
      ulimit -v 100000
      "$tool" pack -q $options "$work/sparse.rar" "$work/sparse" > /dev/null 2> "$work/err"
    )
    check "pack $options of a 600 MB file in 100 MB of address space: exit 0" test $? -eq 0
    # shellcheck disable=SC2086
    "$tool" test $([ "$options" = -m1 ] || echo -psecret) "$work/sparse.rar" > "$work/out"
    check "pack $options of a 600 MB file in 100 MB: comes back whole" \
      grep -qx "OK sparse\\\\zeros.bin" "$work/out"
    rm -f "$work/sparse.rar"
  done
  rm -rf "$work/sparse"
  # Too little even for the compressor's window and tables (the program
  # and its libraries take most of it): one line, exit 1, and neither the
  # archive nor its temporary file.
  (
    ulimit -v 12000
    "$tool" pack -q "$work/oom.rar" "$work/big" > /dev/null 2> "$work/err"
  )
  status=$?
  check "pack without memory: exit 1 (not an abort)" test "$status" -eq 1
  check "pack without memory: one line" test "$(wc -l < "$work/err")" -eq 1
  check "pack without memory: says so" grep -q "out of memory\|Cannot allocate memory" "$work/err"
  check "pack without memory: no archive" test ! -e "$work/oom.rar"
  check "pack without memory: no temporary file" no_temporaries "$work"
  # An entry is tested and extracted in bounded pieces: the 96 MB entry
  # fits beside its 96 MB mapping where a copy of it would not.
  (
    ulimit -v 150000
    "$tool" test "$work/big.rar" > "$work/out" 2> "$work/err"
  )
  check "test of a 96 MB entry in 150 MB of address space: exit 0" test $? -eq 0
  check "test of a 96 MB entry in 150 MB: passes" grep -qx "OK big\\\\zeros.bin" "$work/out"
  (
    ulimit -v 150000
    "$tool" extract -q "$work/big.rar" "$work/x-bounded" > /dev/null 2> "$work/err"
  )
  check "extract of a 96 MB entry in 150 MB of address space: exit 0" test $? -eq 0
  check "extract of a 96 MB entry in 150 MB: whole" \
    cmp -s "$work/big/zeros.bin" "$work/x-bounded/big/zeros.bin"
  rm -rf "$work/x-bounded"
  # A compressed entry of 64 MB in 48 MB of address space.
  (
    ulimit -v 48000
    "$tool" test -q "$work/packed.rar" > "$work/out" 2> "$work/err" &&
      "$tool" extract -q "$work/packed.rar" "$work/x-packed" >> "$work/out" 2>> "$work/err"
  )
  check "a compressed 64 MB entry in 48 MB of address space: exit 0" test $? -eq 0
  check "a compressed 64 MB entry in 48 MB: whole" \
    cmp -s "$work/packed/zeros.bin" "$work/x-packed/packed/zeros.bin"
  rm -rf "$work/x-packed"
  # Too little for the archive itself: one line and exit 1, not an abort.
  # (Between that and enough for the entry lies only the megabyte of the
  # bounded buffer; the reader's own reason is a unit test's business.)
  (
    ulimit -v 60000
    "$tool" test "$work/big.rar" > "$work/out" 2> "$work/err"
  )
  check "test without memory: exit 1" test $? -eq 1
  check "test without memory: one line saying so" \
    test "$(grep -c "Cannot allocate memory\|out of memory" "$work/err")" -eq 1 -a "$(wc -l < "$work/err")" -eq 1
fi

# Test and extract show their progress inside one large entry, on a
# terminal (a pseudo-terminal here), and never with -q.
{
  progress_of() { script -qec "$*" /dev/null < /dev/null | tr '\r' '\n'; }
  progress_of "$tool" test "$work/packed.rar" > "$work/progress"
  check "test: progress inside the entry" \
    grep -Eq "^testing: [0-9.]+ MB of 64.0 MB, 0 of 1 file" "$work/progress"
  progress_of "$tool" extract "$work/packed.rar" "$work/x-progress" > "$work/progress"
  check "extract: progress inside the entry" \
    grep -Eq "^extracting: [0-9.]+ MB of 64.0 MB, 0 of 1 file" "$work/progress"
  rm -rf "$work/x-progress"
  progress_of "$tool" test -q "$work/packed.rar" > "$work/progress"
  check "test -q: no progress" bash -c "! grep -q 'testing:' '$work/progress'"
  "$tool" test "$work/packed.rar" > /dev/null 2> "$work/err"
  check "test: no progress when standard error is no terminal" test ! -s "$work/err"
}

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

# "-" is standard output for pack: the same archive as written to a file,
# the summary on standard error, every write checked, never a terminal.
(cd "$work" && "$tool" pack -q - small > "$work/piped.rar" 2> "$work/err")
check "pack -: exit 0" test $? -eq 0
check "pack -: the archive a file would hold" cmp -s "$work/small.rar" "$work/piped.rar"
check "pack -: the summary on standard error" grep -q "^1 file, 1 folder" "$work/err"
check "pack -: no file named -" test ! -e "$work/-"
(cd "$work" && "$tool" pack -q - small > /dev/full 2> "$work/err")
check "pack - > /dev/full: exit 1" test $? -eq 1
check "pack - > /dev/full: one line" \
  test "$(grep -c '^rar2tool: standard output: cannot write' "$work/err")" -eq 1 -a \
  "$(wc -l < "$work/err")" -eq 1
script -qec "cd '$work' && '$tool' pack -q - small" /dev/null < /dev/null > "$work/out"
check "pack - on a terminal: refused" grep -q "standard output is a terminal" "$work/out"

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
check "$files files: -q prints the count alone" test "$(wc -l < "$work/out")" -eq 1
"$tool" extract -q "$work/many.rar" "$work/x-many" > "$work/out"
check "$files files: extracted" grep -qx "$files files extracted" "$work/out"
check "$files files: the last one right" grep -qx "$last 199" "$work/x-many/many/d$last/f199.txt"
check "$files files: no temporary file" no_temporaries "$work/x-many"

# An archive cut short while it is read: one line and exit 1, never a bus
# error. The command is held by a full pipe on standard output after its
# first entries, while the file is cut under it: in the middle of its small
# entries, and inside a large last entry, where reads past the new end
# raise SIGBUS (within the page cache's last large page they read zeros).
mkdir -p "$work/last"
head -c 16000000 /dev/urandom > "$work/last/noise.bin"
"$tool" pack -q -m0 "$work/many-noise.rar" "$work/many/d"[0-3]* "$work/last" > /dev/null
cut_while_read() {  # archive, bytes to cut it to, command, its arguments after the archive
  local archive=$1 size=$2 cmd=$3; shift 3
  cp "$archive" "$work/cut.rar"
  rm -f "$work/fifo"
  mkfifo "$work/fifo"
  "$tool" "$cmd" "$work/cut.rar" "$@" > "$work/fifo" 2> "$work/err" &
  local pid=$!
  exec 3< "$work/fifo"
  local first
  read -r first <&3
  truncate -s "$size" "$work/cut.rar"
  cat <&3 > "$work/out"
  exec 3<&-
  wait "$pid"
  local status=$?
  local what="$cmd of an archive cut to $size bytes while read"
  check "$what: exit 1 (not a bus error)" test "$status" -eq 1
  check "$what: says so" grep -q "cut.rar: the file was cut short while it was read" "$work/err"
  check "$what: one line" test "$(wc -l < "$work/err")" -eq 1
}
half=$(($(stat -c %s "$work/many.rar") / 2))
cut_while_read "$work/many.rar" "$half" test
check "test of an archive cut while read: entries before the cut pass" grep -q "^OK " "$work/out"
check "test of an archive cut while read: the entry at the cut fails" \
  grep -q "^FAILED .*: not read: the archive file was cut short while it was read" "$work/out"
cut_while_read "$work/many.rar" "$half" extract "$work/x-cut"
check "extract of an archive cut while read: no temporary file" no_temporaries "$work/x-cut"
check "extract of an archive cut while read: files before the cut whole" \
  grep -qx "00 001" "$work/x-cut/many/d00/f001.txt"
inside=$(($(stat -c %s "$work/many-noise.rar") - 12000000))
cut_while_read "$work/many-noise.rar" "$inside" test
check "test of an archive cut inside its last entry: that entry fails" \
  grep -q "^FAILED last.noise.bin: not read: the archive file was cut short" "$work/out"
echo "$passed passed, $failed failed"
[ "$failed" -eq 0 ]
