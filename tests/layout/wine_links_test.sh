#!/bin/sh
# Unix links inside the output folder, seen through Wine: clearing the disk
# folders must leave every link target untouched.
#   wine_links_test.sh <wine-run.sh> <clear_disks.exe> <work folder>
set -u
run=$1 exe=$2 work=$3
rm -rf "$work"
mkdir -p "$work/out/DISK3/sub" "$work/victim"
echo precious >"$work/victim/keep.txt"
echo volume >"$work/out/DISK3/sub/SETUP.3"
ln -s "$work/victim" "$work/out/DISK5"
ln -s "$work/victim/keep.txt" "$work/out/DISK6"
ln -s "$work/victim" "$work/out/DISK3/inside"
winpath() { echo "Z:$1" | tr / '\\'; }

out=$("$run" "$exe" "$(winpath "$work/out")")
rc=$?
[ $rc -eq 1 ] || { echo "expected failure, got $rc: $out"; exit 1; }
case $out in *link*) ;; *) echo "no link named in: $out"; exit 1 ;; esac
[ "$(cat "$work/victim/keep.txt" 2>/dev/null)" = precious ] || { echo "link target was touched"; exit 1; }

# Without links everything named DISK* goes, and nothing else.
mkdir -p "$work/plain/DISK1" "$work/plain/disk2/sub"
echo x >"$work/plain/DISK1/SETUP.EXE"
echo x >"$work/plain/disk2/sub/f"
echo x >"$work/plain/SETUP.INF"
out=$("$run" "$exe" "$(winpath "$work/plain")") || { echo "clearing failed: $out"; exit 1; }
[ "$(ls "$work/plain")" = SETUP.INF ] || { echo "left: $(ls "$work/plain")"; exit 1; }
rm -rf "$work"
echo ok
