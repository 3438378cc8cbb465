#!/usr/bin/env bash
# rar2tool pack reads its files in pieces and writes the archive as it goes:
# inputs larger than a piece come back whole at every level, solid or not,
# encrypted or not, to a file or to standard output; a file that does not
# shrink is still stored; a file that changes while it is packed stops the
# run with one line and no archive.
# Usage: rar2tool_pack_stream_test.sh RAR2TOOL
set -uo pipefail
tool=$(realpath "$1")
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
. "$(dirname "$0")/checks.sh"

# Several pieces of text whose repeats reach back across piece boundaries
# (a block of 1000 KB written again, shifted, so that matches span the
# place where one piece ends and the next begins), a sound file longer
# than a piece (its estimate samples bytes not yet read), random data that
# no level shrinks (stored after all, read a second time), and small files.
mkdir -p "$work/in/small"
python3 - "$work/in" <<'PY'
import math, random, sys
root = sys.argv[1]
rng = random.Random(20)
words = [b"channel", b"transponder", b"11778", b"orbivue", b"timeshift", b"DVB-S", b"\r\n"]
block = b" ".join(rng.choice(words) for _ in range(150000))[:1000 * 1024]
text = bytearray()
while len(text) < 9 * 1024 * 1024:
    text += block[rng.randrange(64):] + bytes(rng.randrange(256) for _ in range(17))
open(f"{root}/repeats.txt", "wb").write(text)
sound = bytearray()
for i in range(5 * 1024 * 1024):
    c, t = i % 2, i // 2
    sound.append(int(128 + 60 * math.sin(t * (0.031 + 0.017 * c)) + 35 * math.sin(t * 0.0071)
                     + rng.randrange(5) - 2) & 255)
open(f"{root}/sound.wav", "wb").write(sound)
open(f"{root}/noise.bin", "wb").write(rng.randbytes(3 * 1024 * 1024))
for k in range(5):
    open(f"{root}/small/f{k}.txt", "wb").write(b"small file %d\n" % k * (k * 40 + 1))
PY

round_trip() {  # label, pack options...
  local label=$1; shift
  rm -rf "$work/out.rar" "$work/x"
  "$tool" pack -q "$@" "$work/out.rar" "$work/in" > "$work/summary" 2> "$work/err"
  check "$label: packed" test $? -eq 0
  local password=()
  for option in "$@"; do [[ $option == -p* ]] && password=("$option"); done
  "$tool" test -q "${password[@]}" "$work/out.rar" > /dev/null 2>&1
  check "$label: test passes" test $? -eq 0
  "$tool" extract -q "${password[@]}" "$work/out.rar" "$work/x" > /dev/null 2>&1
  check "$label: every file comes back whole" diff -r "$work/in" "$work/x/in"
  check "$label: no temporary file" no_temporaries "$work"
}
# Every level, solid and not; under the sanitizers, where these round
# trips take minutes, one of each kind of path: stored, solid, not solid
# (the optimal parse and the cipher come below).
runs=("-m0" "-m0 -s" "-m1" "-m1 -s" "-m3" "-m3 -s" "-m5" "-m5 -s")
# The checks after them need compression, any level: the fastest there.
level=-m3
[ -z "${ORBIVUE_SANITIZED:-}" ] || { runs=("-m0" "-m1 -s" "-m3"); level=-m1; }
for options in "${runs[@]}"; do
  # shellcheck disable=SC2086
  round_trip "$options" $options
done
round_trip "-m3 -s -p" -m3 -s -psecret
round_trip "-m4 -p" -m4 -psecret

# Random data that compression does not shrink is stored, in a solid
# archive too, where it stays out of the compressed stream.
for options in "$level" "$level -s"; do
  # shellcheck disable=SC2086
  "$tool" pack -q $options "$work/stored.rar" "$work/in" > "$work/summary"
  check "$options: the random file is stored" grep -q " m0 .*noise.bin$" \
    <("$tool" list "$work/stored.rar")
  check "$options: and counted so" grep -q "stored: compression would not shrink" "$work/summary"
done

# Standard output gets the archive that a file would hold.
"$tool" pack -q "$level" -s - "$work/in" > "$work/piped.rar" 2> /dev/null
check "pack -: exit 0" test $? -eq 0
"$tool" pack -q "$level" -s "$work/file.rar" "$work/in" > /dev/null
check "pack -: the archive a file would hold" cmp -s "$work/piped.rar" "$work/file.rar"

# A file listed as empty that then reads with contents (as files under
# /proc do) changed while it was packed: one line, exit 1, no archive.
for options in "-m0" "-m3 -s"; do
  # shellcheck disable=SC2086
  "$tool" pack -q $options "$work/changed.rar" /proc/self/status > /dev/null 2> "$work/err"
  check "$options, a file that changes: exit 1" test $? -eq 1
  check "$options, a file that changes: one line naming it" \
    grep -qx "rar2tool: /proc/self/status: changed while being packed" "$work/err"
  check "$options, a file that changes: no archive" test ! -e "$work/changed.rar"
  check "$options, a file that changes: no temporary file" no_temporaries "$work"
done

# A write that fails (a file size limit, like a full disk) is one line
# naming the archive, exit 1, and neither the archive nor its temporary file.
for options in "-m0" "-m1 -s"; do
  (
    ulimit -f 1000
    trap '' XFSZ
    # shellcheck disable=SC2086
    "$tool" pack -q $options "$work/limited.rar" "$work/in" > /dev/null 2> "$work/err"
  )
  check "$options, a failed write: exit 1" test $? -eq 1
  check "$options, a failed write: one line naming the archive" \
    test "$(grep -c "limited.rar: File too large" "$work/err")" -eq 1 -a "$(wc -l < "$work/err")" -eq 1
  check "$options, a failed write: no archive" test ! -e "$work/limited.rar"
  check "$options, a failed write: no temporary file" no_temporaries "$work"
done

# An interrupt while the archive is being written leaves neither the
# archive nor its temporary file.
mkdir -p "$work/large"
truncate -s 400M "$work/large/zeros.bin"
set -m  # a background job of a script would otherwise ignore SIGINT
"$tool" pack -q -m3 "$work/large.rar" "$work/large" > /dev/null 2>&1 &
pid=$!
set +m
seen=0
for _ in $(seq 1 2000); do
  if [ -n "$(find "$work" -maxdepth 1 -name '.rar2tool-*' -print -quit)" ]; then seen=1; break; fi
  kill -0 "$pid" 2>/dev/null || break
  sleep 0.005
done
kill -INT "$pid" 2>/dev/null
wait "$pid"
status=$?
if [ "$seen" -eq 1 ]; then
  check "an interrupted pack: ended by the signal" test "$status" -eq 130
else
  echo "note: the interrupted pack never showed its temporary file; only the invariants are checked"
fi
check "an interrupted pack: no archive, or a whole one" \
  bash -c "[ ! -e '$work/large.rar' ] || '$tool' test -q '$work/large.rar' > /dev/null"
check "an interrupted pack: no temporary file" no_temporaries "$work"

echo "$passed passed, $failed failed"
[ "$failed" -eq 0 ]
