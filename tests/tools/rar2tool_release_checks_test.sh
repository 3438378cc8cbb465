#!/usr/bin/env bash
# rar2tool as a careful release engineer relies on it: damage, cuts and
# trailing bytes are caught; pack replaces only archives and reports every
# bad name; the command line, progress line and failure lines behave like
# the tools people know.
# A product Setup would fail on is refused by pack and failed by test, with
# every problem named in one run.
# Usage: rar2tool_release_checks_test.sh RAR2TOOL PAYLOAD_GEN
set -uo pipefail
tool=$1
gen=$2
. "$(dirname "$0")/stand_in_programs.sh"
work=$(mktemp -d)
trap 'chmod -R u+w "$work"; rm -rf "$work"' EXIT
. "$(dirname "$0")/checks.sh"

patch_byte() {  # file, offset, byte as two hex digits
  printf "\\x$3" | dd of="$1" bs=1 seek="$2" conv=notrunc status=none
}

# Twelve stored files of 8 bytes, so that every offset is known: the main
# header ends at 20, the folder "Product" takes 32 + 7 bytes, each file
# "Product\fNN.txt" 32 + 15 bytes of header and 8 of data.
src="$work/Product"
mkdir -p "$src"
for i in $(seq -w 1 12); do printf 'line %s\n' "$i" > "$src/f$i.txt"; done
"$tool" pack -m0 "$work/twelve.rar" "$src" > /dev/null
check "pack twelve files" test $? -eq 0
file_at() { echo $((20 + 39 + ($1 - 1) * 55)); }  # header offset of file N

# A changed byte of a stored name: test fails naming the block, extract
# writes no file under the wrong name.
cp "$work/twelve.rar" "$work/name.rar"
patch_byte "$work/name.rar" $(($(file_at 3) + 32 + 8)) 43   # "f03" becomes "C03"
"$tool" test "$work/name.rar" > "$work/out" 2> "$work/err"
check "damaged name: test exits 1" test $? -eq 1
check "damaged name: one line naming the block" \
  grep -qx "rar2tool: $work/name.rar: damaged header: block 4 at offset $(file_at 3) (file header 'Product\\\\C03.txt')" "$work/err"
check "damaged name: entries before it tested" grep -qx "2 passed, 0 failed" "$work/out"
"$tool" extract "$work/name.rar" "$work/x1" > /dev/null 2>&1
check "damaged name: extract exits 1" test $? -eq 1
check "damaged name: no file under the wrong name" test ! -e "$work/x1/Product/C03.txt"

# A damaged type byte does not silently drop the entry.
cp "$work/twelve.rar" "$work/type.rar"
patch_byte "$work/type.rar" $(($(file_at 5) + 2)) 75
"$tool" list "$work/type.rar" > "$work/out" 2> "$work/err"
check "damaged type: list exits 1" test $? -eq 1
check "damaged type: damaged header" grep -q "damaged header: block 6" "$work/err"

# A damaged size does not list as 1.5 GB.
cp "$work/twelve.rar" "$work/size.rar"
patch_byte "$work/size.rar" $(($(file_at 7) + 14)) 5a
"$tool" list "$work/size.rar" > "$work/out" 2> "$work/err"
check "damaged size: list exits 1" test $? -eq 1
check "damaged size: not listed" test "$(grep -c 'f07' "$work/out")" -eq 0

# Cut exactly after the fifth file: seven files lost is "truncated".
head -c "$(file_at 6)" "$work/twelve.rar" > "$work/cut.rar"
"$tool" test "$work/cut.rar" > "$work/out" 2> "$work/err"
check "cut at a boundary: exit 1" test $? -eq 1
check "cut at a boundary: truncated" grep -q "truncated archive: it ends after 6 entries" "$work/err"

# Bytes after the end block are trailing data, not damage.
cp "$work/twelve.rar" "$work/trail.rar"
printf 'junk' >> "$work/trail.rar"
"$tool" test "$work/trail.rar" > "$work/out" 2> "$work/err"
check "trailing data: exit 1" test $? -eq 1
check "trailing data: said so" grep -q "trailing data after the end block: 4 bytes" "$work/err"
check "trailing data: every entry passes" grep -qx "12 passed, 0 failed" "$work/out"

# A damaged entry of a solid archive: the entries after it that fail are
# named as failing after it, said once for all of them when extracting.
texts="$work/Texts"
mkdir -p "$texts"
for i in 1 2 3 4; do seq -f "text $i line %g of the viewer's notes" 1 400 > "$texts/t$i.txt"; done
"$tool" pack -q -m3 -s "$work/solid.rar" "$texts" > /dev/null
# Main header to 20, folder "Texts" 32 + 5, t1.txt's header 32 + 12: its data.
patch_byte "$work/solid.rar" $((20 + 37 + 44 + 100)) 00
"$tool" test "$work/solid.rar" > "$work/out" 2> /dev/null
check "solid damage: the first is a CRC mismatch" grep -qx 'FAILED Texts\\t1.txt: CRC mismatch' "$work/out"
check "solid damage: the rest fail after it" \
  test "$(grep -c "CRC mismatch after the damaged earlier solid entry 'Texts\\\\t1.txt'" "$work/out")" -eq 3
"$tool" extract "$work/solid.rar" "$work/xs" > /dev/null 2> "$work/err"
check "solid damage: extract exits 1" test $? -eq 1
check "solid damage: two lines, one per cause" test "$(wc -l < "$work/err")" -eq 2
check "solid damage: counted once" grep -q "solid entry 'Texts\\\\t1.txt' (3 entries not extracted)" "$work/err"

# test -q prints the failed entries and the count, nothing of the others.
cp "$work/twelve.rar" "$work/crc.rar"
patch_byte "$work/crc.rar" $(($(file_at 4) + 47)) 58   # "line 04" becomes "Xine 04"
"$tool" test -q "$work/crc.rar" > "$work/out" 2> "$work/err"
check "test -q: exit 1" test $? -eq 1
check "test -q: the failure and the count alone" \
  test "$(cat "$work/out")" = "$(printf 'FAILED Product\\f04.txt: CRC mismatch\n11 passed, 1 failed')"
check "test -q: nothing on stderr" test ! -s "$work/err"
"$tool" test "$work/crc.rar" > "$work/out"
check "test without -q: an OK line for each other entry" test "$(grep -c '^OK ' "$work/out")" -eq 11

# A wrong password is one line for the archive, and extract makes nothing:
# neither DIR nor a folder in it. Damage after the first encrypted entry,
# with the right password, is damage: told per entry as before.
"$tool" pack -q -m3 -s -psecret "$work/pw.rar" "$texts" > /dev/null
wrong="rar2tool: $work/pw.rar: wrong password (or the first encrypted entry 'Texts\\t1.txt' is damaged); 4 encrypted entries not"
for cmd in "test" "test -q"; do
  # shellcheck disable=SC2086
  "$tool" $cmd -pwrong "$work/pw.rar" > "$work/out" 2> "$work/err"
  check "wrong password, $cmd: exit 1" test $? -eq 1
  check "wrong password, $cmd: no line per entry" test ! -s "$work/out"
  check "wrong password, $cmd: one line" test "$(cat "$work/err")" = "$wrong tested"
done
"$tool" extract -pwrong "$work/pw.rar" "$work/xw/below" > "$work/out" 2> "$work/err"
check "wrong password, extract: exit 1" test $? -eq 1
check "wrong password, extract: one line" test "$(cat "$work/err")" = "$wrong extracted"
check "wrong password, extract: DIR not made" test ! -e "$work/xw"
mkdir "$work/xe"
"$tool" extract -pwrong "$work/pw.rar" "$work/xe" > /dev/null 2>&1
check "wrong password, extract: nothing made in DIR" test -z "$(ls -A "$work/xe")"
"$tool" test -q -psecret "$work/pw.rar" > "$work/out"
check "right password: every entry passes" grep -qx "4 passed, 0 failed" "$work/out"
# Main header to 20, folder to 57, each file's header 44 bytes, then its data.
mapfile -t packed < <("$tool" list "$work/pw.rar" | awk '$1 ~ /^file/ { print $3 }')
patch_byte "$work/pw.rar" $((57 + 44 + packed[0] + 44 + packed[1] + 44 + 5)) 00
"$tool" test -psecret "$work/pw.rar" > "$work/out" 2> "$work/err"
check "damage after the first encrypted entry: exit 1" test $? -eq 1
check "damage after the first encrypted entry: the entries before it pass" \
  test "$(grep -c '^OK Texts.t[12].txt$' "$work/out")" -eq 2
check "damage after the first encrypted entry: its own line" \
  grep -qx 'FAILED Texts\\t3.txt: CRC mismatch (wrong password or damaged data)' "$work/out"
check "damage after the first encrypted entry: the next fails after it" \
  grep -qx "FAILED Texts\\\\t4.txt: CRC mismatch after the damaged earlier solid entry 'Texts\\\\t3.txt'" "$work/out"
check "damage after the first encrypted entry: no password line" test ! -s "$work/err"
"$tool" extract -psecret "$work/pw.rar" "$work/xd" > /dev/null 2> "$work/err"
check "damage after the first encrypted entry: extract exits 1" test $? -eq 1
check "damage after the first encrypted entry: extract writes the entries before it" \
  cmp -s "$texts/t2.txt" "$work/xd/Texts/t2.txt"
check "damage after the first encrypted entry: two lines, one per cause" \
  test "$(wc -l < "$work/err")" -eq 2

# The demo product (its generated files and stand-ins of its programs)
# packs with the setup layout and tests clean; Setup.exe's archive has no
# end block by design and keeps passing.
demo="$work/demo"
"$gen" "$demo" > /dev/null
stand_in_programs "$demo"
"$tool" pack -q -m1 --setup-layout "$work/setup.rar" "$demo"/* > /dev/null 2> "$work/err"
check "demo product: packs" test $? -eq 0
check "demo product: nothing to tell when packing" test ! -s "$work/err"
"$tool" test "$work/setup.rar" > "$work/out" 2> "$work/err"
check "setup layout without end block passes" test $? -eq 0
check "demo product: nothing to tell when testing" test ! -s "$work/err"
check "demo product: every file tested" grep -qx "180 passed, 0 failed" "$work/out"

# A product Setup would fail on: three files it relies on missing, a path
# too long below the longest destination, a name Windows refuses and one
# Setup refuses, a file where Setup makes a folder, and a file of the name
# Setup writes itself. pack tells all of them and writes nothing.
bad="$work/BadProduct"
cp -r "$demo" "$bad"
rm "$bad/Orbivue.exe" "$bad/Filters/mlcom.ax" "$bad/Modules/SatCardC.Device"
long="Docs/$(printf 'n%.0s' $(seq 1 90)).txt"
echo x > "$bad/$long"
echo x > "$bad/Docs/CON.txt"
echo x > "$bad/Docs/CONIN\$"
rm -r "$bad/Modules/boot/24"
echo x > "$bad/Modules/boot/24"
echo x > "$bad/Orbivue.ini"
"$tool" pack -q --setup-layout "$work/bad-setup.rar" "$bad"/* > /dev/null 2> "$work/err"
check "bad product: pack exits 1" test $? -eq 1
check "bad product: eight lines" test "$(wc -l < "$work/err")" -eq 8
check "bad product: every line names rar2tool" test "$(grep -c '^rar2tool: ' "$work/err")" -eq 8
for missing in 'Orbivue.exe' 'Filters\\mlcom.ax' 'Modules\\SatCardC.Device'; do
  check "bad product: missing $missing" \
    grep -qx "rar2tool: $work/bad-setup.rar: missing '$missing', which the installation relies on" \
    "$work/err"
done
check "bad product: the long path" grep -q "'Docs.nnnn*.txt' is too long: 99 characters" "$work/err"
check "bad product: the name Windows refuses" \
  grep -qx "rar2tool: $bad/Docs/CON.txt: a reserved device name on Windows" "$work/err"
check "bad product: the name Setup refuses" \
  grep -q "'Docs.CONIN\\$' cannot be created by the installation: a device name" "$work/err"
check "bad product: the file where a folder is needed" \
  grep -q "'Modules.boot.24' is a file where the installation needs a folder" "$work/err"
check "bad product: Setup's own file" \
  grep -q "'Orbivue.ini' has the name of a file Setup writes itself" "$work/err"
check "bad product: no archive" test ! -e "$work/bad-setup.rar"

# The same product (but for the name no archive may hold) in a plain solid
# archive is an archive like any other; test --setup-layout checks it as
# Setup's product all the same.
rm "$bad/Docs/CON.txt"
"$tool" pack -q -s -m1 "$work/bad-plain.rar" "$bad"/* > /dev/null
check "bad product: a plain archive packs" test $? -eq 0
"$tool" test "$work/bad-plain.rar" > /dev/null 2> "$work/err"
check "bad product: a plain archive passes test" test $? -eq 0
check "bad product: nothing told of a plain archive" test ! -s "$work/err"
"$tool" test --setup-layout "$work/bad-plain.rar" > "$work/out" 2> "$work/err"
check "test --setup-layout: exit 1" test $? -eq 1
check "test --setup-layout: every entry still tested" grep -q " passed, 0 failed$" "$work/out"
check "test --setup-layout: seven lines" test "$(wc -l < "$work/err")" -eq 7
check "test --setup-layout: missing files named" \
  test "$(grep -c "rar2tool: $work/bad-plain.rar: missing '" "$work/err")" -eq 3

# pack never replaces a file that is not an archive.
echo "my notes" > "$work/notes.txt"
"$tool" pack "$work/notes.txt" "$src" > /dev/null 2> "$work/err"
check "pack over notes: exit 1" test $? -eq 1
check "pack over notes: one line" test "$(wc -l < "$work/err")" -eq 1
check "pack over notes: kept" grep -qx "my notes" "$work/notes.txt"
"$tool" pack "$src/f01.txt" "$src" > /dev/null 2>&1
check "pack over a file inside the packed folder: refused" test $? -eq 1
check "that file kept" grep -qx "line 01" "$src/f01.txt"
ln -s "$work/notes.txt" "$work/link.rar"
"$tool" pack "$work/link.rar" "$src" > /dev/null 2>&1
check "pack over a link: refused" test $? -eq 1
check "the link kept" test -L "$work/link.rar"
"$tool" pack -q "$work/twelve.rar" "$src" > /dev/null
check "an archive is replaced" test $? -eq 0

# Names Windows refuses or takes as one: every problem in one run.
bad="$work/Bad"
mkdir -p "$bad/sub"
for n in CON.txt "lpt1" "ends." "Жук.txt" "жук.txt" "sub/aux" "sub/fine.txt"; do echo x > "$bad/$n"; done
"$tool" pack "$work/bad.rar" "$bad" > /dev/null 2> "$work/err"
check "bad names: exit 1" test $? -eq 1
check "bad names: five lines" test "$(wc -l < "$work/err")" -eq 5
check "bad names: the Cyrillic pair" grep -q "'Bad\\\\Жук.txt' and 'Bad\\\\жук.txt' are one name on Windows" "$work/err"
check "bad names: no archive" test ! -e "$work/bad.rar"

# Plurals, help, version, bad options.
mkdir -p "$work/one"
echo solo > "$work/one/solo.txt"
"$tool" pack -q "$work/one.rar" "$work/one/solo.txt" > "$work/out"
check "one file said so" grep -q "^1 file, 0 folders, 5 bytes packed into 5 bytes (1 file stored" "$work/out"
"$tool" --help > "$work/out"
check "--help exits 0" test $? -eq 0
check "--help names the commands" grep -q "extract" "$work/out"
"$tool" test --help > "$work/out"
check "test --help shows --setup-layout" grep -q -- "--setup-layout" "$work/out"
"$tool" extract --help > "$work/out"
check "extract --help shows -k" grep -q -- "--keep" "$work/out"
"$tool" --version > "$work/out"
check "--version" grep -q "^rar2tool " "$work/out"
release=$(head -1 "$(dirname "$0")/../../VERSION")
check "--version names the release of VERSION" grep -qF "(Orbivue $release)" "$work/out"
"$tool" test --frobnicate "$work/one.rar" > /dev/null 2> "$work/err"
check "bad option: exit 2" test $? -eq 2
check "bad option: one line" test "$(wc -l < "$work/err")" -eq 1

# A bare -p with no terminal to ask on: one line, nothing packed.
setsid -w "$tool" pack -p "$work/secret.rar" "$work/one" > /dev/null 2> "$work/err" < /dev/null
check "-p without a terminal: exit 1" test $? -eq 1
check "-p without a terminal: says so" grep -q "no terminal" "$work/err"
check "-p without a terminal: no archive" test ! -e "$work/secret.rar"

# Progress: nothing when standard error is not a terminal, a line when it is.
"$tool" test "$work/twelve.rar" > /dev/null 2> "$work/err"
check "no progress off a terminal" test ! -s "$work/err"
script -qec "'$tool' pack -m5 '$work/tty.rar' '$src'" /dev/null > "$work/tty" 2>&1
check "progress on a terminal" grep -q "packing: " "$work/tty"
script -qec "'$tool' test -q '$work/twelve.rar'" /dev/null > "$work/tty" 2>&1
check "-q silences it" test "$(grep -c 'testing: ' "$work/tty")" -eq 0

# One line per failure cause: a destination nothing can be written into.
if [ "$(id -u)" -eq 0 ]; then
  dest=/proc/self/fdinfo
else
  dest="$work/readonly"
  mkdir -p "$dest"
  chmod 555 "$dest"
fi
"$tool" extract "$work/twelve.rar" "$dest" > /dev/null 2> "$work/err"
check "unwritable DIR: exit 1" test $? -eq 1
check "unwritable DIR: one line for 13 entries" test "$(wc -l < "$work/err")" -eq 1
check "unwritable DIR: counted" grep -q "(13 entries not extracted)" "$work/err"

echo "$passed passed, $failed failed"
[ "$failed" -eq 0 ]
