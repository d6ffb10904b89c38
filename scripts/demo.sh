#!/usr/bin/env bash
# The main job: exercise the tools of both builds on a real project.
#   scripts/demo.sh NATIVE_TREE WIN32_TREE
set -euo pipefail
native=$1
win=$2
out=$(cd "$(dirname "$0")/.." && pwd)/build/demo
rm -rf "$out"
mkdir -p "$out"
export SOURCE_DATE_EPOCH=${SOURCE_DATE_EPOCH:-1000000000}

kwrbuild=$native/dist/kwrbuild
echo "== a new project, saved and printed by the native builder"
"$kwrbuild" --new "$out/Demo.kwr"
"$kwrbuild" --print "$out/Demo.kwr" | head -n 20
echo "   ..."

sample=$(dirname "$0")/../samples/demo/Demo.kwr
if [ -f "$sample" ] && "$kwrbuild" --help 2>&1 | grep -q -- '--force'; then
  echo "== building the sample project"
  cp -r "$(dirname "$sample")" "$out/sample"
  "$kwrbuild" --lng "$win/dist/LNG" --force "$out/sample/Demo.kwr"
  echo "== the same project on volumes of 64 KiB, then again: nothing to do"
  "$kwrbuild" --lng "$win/dist/LNG" --disk-size 65536 "$out/sample/Demo.kwr"
  "$kwrbuild" --lng "$win/dist/LNG" "$out/sample/Demo.kwr"
  zpk=$native/dist/zpk
  if [ -x "$zpk" ]; then
    for setup in "$out"/sample/Demo/*/DISK1/SETUP.EXE; do
      "$zpk" list "$setup"
      "$zpk" test "$setup"
    done
  fi
elif [ -x "$native/dist/zpk" ]; then
  echo "== an archive over volumes of 64 KiB, made and checked by zpk"
  mkdir -p "$out/files"
  head -c 150000 /dev/urandom >"$out/files/random.bin"
  seq 1 20000 >"$out/files/numbers.txt"
  "$native/dist/zpk" add "$out/DEMO.ZPK" "$out/files/random.bin" "$out/files/numbers.txt"
  "$native/dist/zpk" list "$out/DEMO.ZPK"
  "$native/dist/zpk" test "$out/DEMO.ZPK"
fi

echo "== the Windows programs (copy this folder to Windows)"
(cd "$win/dist" && find . -type f | sort)
echo "== output of this run"
(cd "$out" && find . -type f | sort)
