#!/bin/sh
# Drives the zpk tool through a multi-volume archive in the builder's layout.
set -u
zpk=$1
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
fail() { echo "FAILED: $*"; exit 1; }
expect() {  # expect CODE command...
  want=$1; shift
  "$@" >"$work/out" 2>&1
  got=$?
  [ "$got" = "$want" ] || { cat "$work/out"; fail "$* exited $got, expected $want"; }
}

mkdir -p "$work/src/sub" "$work/DISK1"
head -c 30000 /dev/urandom >"$work/src/random.bin"
seq 1 20000 >"$work/src/numbers.txt"
: >"$work/src/empty.txt"
seq 5 9 >"$work/src/sub/small.txt"
printf 'MZ loader' >"$work/DISK1/SETUP.EXE"

expect 0 "$zpk" --help
grep -q 'exit codes' "$work/out" || fail "--help says nothing of exit codes"
expect 1 "$zpk"
expect 1 "$zpk" frobnicate x
expect 1 "$zpk" add --volume-size 12 "$work/A.ZPK" "$work/src/empty.txt"

expect 0 "$zpk" add --volume-size 20000 "$work/DISK1/SETUP.EXE" \
  "$work/src/random.bin" "$work/src/numbers.txt" "$work/src/empty.txt" "$work/src/sub/small.txt"
[ -f "$work/DISK2/SETUP.2" ] || fail "no second volume"
for v in "$work"/DISK*/SETUP.*; do
  [ "$(wc -c <"$v")" -le 20000 ] || fail "$v is larger than its volume size"
done

expect 0 "$zpk" list "$work/DISK1/SETUP.EXE"
grep -q 'numbers.txt' "$work/out" || fail "list does not name numbers.txt"
expect 0 "$zpk" test "$work/DISK1/SETUP.EXE"
expect 0 "$zpk" extract "$work/DISK1/SETUP.EXE" "$work/out1"
for f in random.bin numbers.txt empty.txt small.txt; do
  cmp -s "$work/out1/$f" "$(find "$work/src" -name "$f")" || fail "$f differs after extraction"
done

# Adding to an archive that spans volumes goes on after its last volume and
# keeps every earlier one.
head -c 25000 /dev/urandom >"$work/src/more.bin"
seq 1 3000 >"$work/src/late.txt"
before=$(ls -d "$work"/DISK* | wc -l)
expect 0 "$zpk" add --volume-size 20000 "$work/DISK1/SETUP.EXE" "$work/src/more.bin" "$work/src/late.txt"
[ "$(ls -d "$work"/DISK* | wc -l)" -gt "$before" ] || fail "the add did not continue in a new volume"
[ "$(ls -d "$work"/DISK* | wc -l)" -ge 3 ] || fail "fewer than three volumes"
expect 0 "$zpk" test "$work/DISK1/SETUP.EXE"
expect 0 "$zpk" extract "$work/DISK1/SETUP.EXE" "$work/out2"
for f in random.bin numbers.txt empty.txt small.txt more.bin late.txt; do
  cmp -s "$work/out2/$f" "$(find "$work/src" -name "$f")" || fail "$f differs after adding to the spanning archive"
done
# A file stored in an earlier volume cannot be replaced there: refused, nothing lost.
expect 5 "$zpk" add --volume-size 20000 "$work/DISK1/SETUP.EXE" "$work/src/random.bin"
grep -q "volume 1" "$work/out" || fail "the refusal does not name the volume"
expect 0 "$zpk" test "$work/DISK1/SETUP.EXE"
grep -q "6 files ok" "$work/out" || fail "files were lost by the refused add"

# A link planted where extraction makes its temporary file is never written
# through; a name of 255 characters still extracts; control characters in a
# name never reach the terminal raw.
mkdir -p "$work/names" "$work/out3"
long=$(printf 'L%.0s' $(seq 1 251)).txt
evil=$(printf 'evil\033[2J\rname.txt')
echo long >"$work/names/$long"
echo evil >"$work/names/$evil"
echo plain >"$work/names/plain.txt"
echo precious >"$work/victim"
ln -s "$work/victim" "$work/out3/~zpk0000.tmp"
ln -s "$work/victim" "$work/out3/plain.txt.zpk-part"
expect 0 "$zpk" add "$work/N.ZPK" "$work/names/plain.txt" "$work/names/$long" "$work/names/$evil"
expect 0 "$zpk" extract "$work/N.ZPK" "$work/out3"
[ "$(cat "$work/victim")" = precious ] || fail "extraction wrote through a planted link"
cmp -s "$work/out3/$long" "$work/names/$long" || fail "a 255-character name does not extract"
expect 0 "$zpk" list "$work/N.ZPK"
if LC_ALL=C grep -q "$(printf '\033')" "$work/out"; then fail "list prints a control character raw"; fi
grep -q 'evil\\x1B\[2J\\x0Dname.txt' "$work/out" || fail "list does not show the escaped name"

last=$(ls -d "$work"/DISK* | sort -V | tail -n 1)
mv "$last" "$work/hidden"
expect 4 "$zpk" test "$work/DISK1/SETUP.EXE"
grep -q "SETUP" "$work/out" || fail "the missing volume is not named"
mv "$work/hidden" "$last"

cp "$work/DISK2/SETUP.2" "$work/keep"
printf 'XXXX' | dd of="$work/DISK2/SETUP.2" bs=1 seek=30 conv=notrunc 2>/dev/null
expect 3 "$zpk" list "$work/DISK1/SETUP.EXE"
grep -q "SETUP.2" "$work/out" || fail "the damaged volume is not named"

expect 2 "$zpk" list "$work/nothing.zpk"
expect 2 "$zpk" list "$work/src/numbers.txt"
echo "1 passed, 0 failed"
