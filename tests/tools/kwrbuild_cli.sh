#!/bin/sh
# kwrbuild's exit codes and messages.  usage: kwrbuild_cli.sh KWRBUILD SOURCE_DIR
set -u
kwrbuild=$1
src=$2
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
fail() { echo "FAIL: $*"; exit 1; }

expect() {  # expect CODE command...
  want=$1; shift
  "$@" >"$work/out" 2>"$work/err"
  got=$?
  [ "$got" -eq "$want" ] || { cat "$work/out" "$work/err"; fail "$* exited $got, not $want"; }
}

expect 0 "$kwrbuild" --help
grep -q -- "--disk-size" "$work/out" || fail "--help names no options"
expect 64 "$kwrbuild"
expect 64 "$kwrbuild" --bogus x.kwr

SOURCE_DATE_EPOCH=1000000000 expect 0 "$kwrbuild" --new "$work/a.kwr"
expect 0 "$kwrbuild" --print "$work/a.kwr"
grep -q '^package "Main" id=1 flags=0x60FF' "$work/out" || fail "--print lacks the main package"
grep -q 'reserved text="" value=1 time=1000000000' "$work/out" || fail "SOURCE_DATE_EPOCH not honoured"
# The same project saved twice prints the same.
cp "$work/out" "$work/first"
SOURCE_DATE_EPOCH=1000000000 expect 0 "$kwrbuild" --new "$work/b.kwr"
expect 0 "$kwrbuild" --print "$work/b.kwr"
cmp -s "$work/out" "$work/first" || fail "two new projects print differently"

# Files that are no projects.
printf 'plain text' >"$work/plain.kwr"
expect 101 "$kwrbuild" --print "$work/plain.kwr"
grep -q "Failed to open document." "$work/err" || fail "no message for a plain file"
expect 101 "$kwrbuild" --print "$work/missing.kwr"
grep -q "Cannot find this file" "$work/err" || fail "no message for a missing file"
expect 101 "$kwrbuild" "$work/missing.kwr"
# A saved project, but no language libraries.
mkdir "$work/empty"
expect 102 "$kwrbuild" --lng "$work/empty" "$work/a.kwr"
grep -q "no user-interface resource library" "$work/err" || fail "no message for a missing LNG folder"
expect 64 "$kwrbuild" --disk-size nonsense --lng "$work/empty" "$work/a.kwr"
echo "kwrbuild command line: ok"
