#!/usr/bin/env bash
# rar2tool at scale: time and peak resident memory of pack, test and extract
# on a tree of 20,000 small files, on a large file of random data and on a
# large file of text. The targets: test and extract of the tree in at most
# twice the time of packing it; random data stored at close to read speed;
# test and extract of the large archives, and pack of the large text file,
# under 300 MB resident.
# Pack of the large text file and of a tree of 600 MB in all, at every
# level, solid and encrypted, under 300 MB resident too.
# Usage: rar2tool_scale.sh RAR2TOOL SCRATCH_DIR [RANDOM_MB [TEXT_MB [TREE_MB]]]
set -euo pipefail
tool=$1
scratch=$2/rar2tool-scale
megabytes=${3:-600}
text_megabytes=${4:-1500}
tree_megabytes=${5:-600}
rm -rf "$scratch"
mkdir -p "$scratch"
trap 'rm -rf "$scratch"' EXIT

measure() {  # label, command...: prints seconds and peak resident MB
  local label=$1; shift
  /usr/bin/time -f "%e %M" -o "$scratch/time" "$@" > /dev/null
  read -r seconds kilobytes < "$scratch/time"
  printf '%-40s %8.2f s %8.1f MB resident\n' "$label" "$seconds" "$(echo "$kilobytes / 1024" | bc -l)"
  echo "$seconds" > "$scratch/last"
}

python3 - "$scratch/tree" <<'PY'
import os, sys
root = sys.argv[1]
for d in range(100):
    os.makedirs(f"{root}/d{d:02}")
    for f in range(200):
        with open(f"{root}/d{d:02}/f{f:03}.txt", "w") as out:
            out.write(f"line {d} {f}\n" * 16)
PY
echo "20,000 files of 3.5 MB in all:"
measure "pack" "$tool" pack -q "$scratch/many.rar" "$scratch/tree"
pack=$(cat "$scratch/last")
measure "test" "$tool" test -q "$scratch/many.rar"
test=$(cat "$scratch/last")
measure "extract" "$tool" extract -q "$scratch/many.rar" "$scratch/x-many"
extract=$(cat "$scratch/last")
printf 'test/pack %.2f, extract/pack %.2f (target: at most 2)\n' \
  "$(echo "$test / $pack" | bc -l)" "$(echo "$extract / $pack" | bc -l)"
rm -rf "$scratch/x-many" "$scratch/tree"

echo
echo "$megabytes MB of random data:"
mkdir -p "$scratch/random"
head -c "${megabytes}000000" /dev/urandom > "$scratch/random/noise.bin"
measure "read (cat)" cat "$scratch/random/noise.bin"
measure "pack -m3 (stored after the trial)" "$tool" pack -q -m3 "$scratch/random.rar" "$scratch/random"
rm -rf "$scratch/random"
measure "test (target: under 300 MB)" "$tool" test -q "$scratch/random.rar"
measure "extract (target: under 300 MB)" "$tool" extract -q "$scratch/random.rar" "$scratch/x-random"
rm -rf "$scratch/x-random" "$scratch/random.rar"

echo
echo "$text_megabytes MB of text in one file (one compressed entry), packed in pieces:"
mkdir -p "$scratch/text"
yes "channel 12 transponder 11778 V 27500 3/4 DVB-S QPSK orbivue timeshift" |
  head -c "${text_megabytes}000000" > "$scratch/text/large.txt" || true
for options in "-m0" "-m1" "-m3 -s" "-m5 -s -psecret"; do
  # shellcheck disable=SC2086
  measure "pack $options (target: under 300 MB)" "$tool" pack -q $options "$scratch/text.rar" "$scratch/text"
done
"$tool" pack -q -m1 "$scratch/text.rar" "$scratch/text" > /dev/null
rm -rf "$scratch/text"
measure "test (target: under 300 MB)" "$tool" test -q "$scratch/text.rar"
measure "extract (target: under 300 MB)" "$tool" extract -q "$scratch/text.rar" "$scratch/x-text"
rm -rf "$scratch/x-text" "$scratch/text.rar"

echo
echo "$tree_megabytes MB in a tree of text, program and random files, packed in pieces:"
mkdir -p "$scratch/tree/text" "$scratch/tree/programs" "$scratch/tree/random"
part=$((tree_megabytes / 10))
for k in 1 2 3 4 5 6; do
  seq -f "line %g: channel $k transponder 11778 V 27500 DVB-S orbivue" 1 100000000 |
    head -c "${part}000000" > "$scratch/tree/text/part$k.txt" || true
done
for k in 1 2 3; do
  while [ "$(stat -c %s "$scratch/tree/programs/bin$k" 2>/dev/null || echo 0)" -lt "${part}000000" ]; do
    cat "$tool" >> "$scratch/tree/programs/bin$k"
  done
  truncate -s "${part}000000" "$scratch/tree/programs/bin$k"
done
head -c "${part}000000" /dev/urandom > "$scratch/tree/random/noise.bin"
for options in "-m0" "-m1" "-m3 -s" "-m5 -psecret" "-m5 -s"; do
  # shellcheck disable=SC2086
  measure "pack $options (target: under 300 MB)" "$tool" pack -q $options "$scratch/tree.rar" "$scratch/tree"
done
rm -rf "$scratch/tree" "$scratch/tree.rar"
