#!/bin/sh
# usage: kwrbuild_sample.sh EMULATOR KWRBUILD.EXE ZPK.EXE SAMPLE_DIR
set -u
emu=$1
kwrbuild=$2
zpk=$3
sample=$4
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
fail() { echo "FAIL: $*"; exit 1; }
win() { printf 'Z:%s' "$1" | tr / '\\'; }

cp -r "$sample" "$work/demo"
export SOURCE_DATE_EPOCH=1000000000
"$emu" "$kwrbuild" --disk-size 65536 "$(win "$work/demo/Demo.kwr")" >"$work/log" 2>&1 || { cat "$work/log"; fail "build failed"; }
cat "$work/log"
grep -q "Build finished - 0 warning(s)." "$work/log" || fail "no success line"
out="$work/demo/Demo/CUSTOM"
[ -f "$out/DISK1/SETUP.EXE" ] && [ -f "$out/DISK2/SETUP.2" ] || fail "the disks are not there"
for v in "$out/DISK1/SETUP.EXE" "$out/DISK2/SETUP.2"; do
  [ "$(wc -c <"$v")" -le 65536 ] || fail "$v is larger than the disk"
done
"$emu" "$zpk" test "$(win "$out/DISK1/SETUP.EXE")" >"$work/test" 2>&1 || { cat "$work/test"; fail "the archive does not test clean"; }
cat "$work/test"
grep -q "6 files ok" "$work/test" || fail "not every file was tested"
# A second run finds nothing to do.
"$emu" "$kwrbuild" --disk-size 65536 "$(win "$work/demo/Demo.kwr")" >"$work/log2" 2>&1 || fail "second run failed"
grep -q "The project is up-to-date." "$work/log2" || { cat "$work/log2"; fail "second run was not up to date"; }
# Extraction under Wine: a Unix link planted where the temporary file goes,
# or at a file's own temporary name of old, is never written through.
mkdir -p "$work/x"
echo precious >"$work/victim"
ln -s "$work/victim" "$work/x/~zpk0000.tmp"
"$emu" "$zpk" extract "$(win "$out/DISK1/SETUP.EXE")" "$(win "$work/x")" >"$work/extract" 2>&1 || { cat "$work/extract"; fail "extraction failed"; }
[ "$(cat "$work/victim")" = precious ] || fail "extraction wrote through a planted link"
# A build whose stamp cannot be saved (a folder stands where the save writes
# first) still stands, and says so: exit 103.
mkdir "$work/demo/Demo.kwr.kw~"
"$emu" "$kwrbuild" --force --disk-size 65536 "$(win "$work/demo/Demo.kwr")" >"$work/log3" 2>&1
rc=$?
[ $rc -eq 103 ] || { cat "$work/log3"; fail "a build with an unsaved stamp exited $rc, not 103"; }
grep -q "Build finished - 0 warning(s)." "$work/log3" || fail "the build did not finish"
grep -q "the build stamp was not saved" "$work/log3" || { cat "$work/log3"; fail "the unsaved stamp is not told"; }
[ -f "$out/DISK1/SETUP.EXE" ] || fail "the setup is gone"
echo "KWRBUILD.EXE sample: ok"
