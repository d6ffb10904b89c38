#!/usr/bin/env bash
# Screenshots of every dialog template of a UI resource library, shown under
# Wine on a private X server.
#   tests/win/uires/screenshots.sh <build tree> <output folder> [KWRENG32.DLL]
set -euo pipefail
tree=$(cd "$1" && pwd)
out=$(mkdir -p "$2" && cd "$2" && pwd)
lib=${3:-KWRENG32.DLL}
ids="2 5 10 11 12 15 16 17 18 19 20 22 23 24 25 26 27 28 29 30 31 42 60 61 71 72 73 74 75 76 78 79 100 101 102 30721"

lng=$(mktemp -d)
marks=$(mktemp -d)
cp "$tree/dist/LNG/$lib" "$lng/"

# A free display number of our own.
display=90
while [ -e /tmp/.X11-unix/X$display ] || [ -e /tmp/.X$display-lock ]; do display=$((display + 1)); done
Xvfb :$display -screen 0 1024x768x24 -nolisten tcp >/dev/null 2>&1 &
xvfb=$!
trap 'kill $xvfb 2>/dev/null || true; rm -rf "$lng" "$marks"' EXIT
sleep 1
export DISPLAY=:$display

winpath() { echo "Z:${1//\//\\}"; }
"$tree/wine-run.sh" explorer /desktop=kwr,1024x768 \
  "$(winpath "$tree/tests/win/uires/kw_show_dialogs.exe")" "$(winpath "$lng")" "$(winpath "$marks")" $ids &
runner=$!
for id in $ids; do
  for _ in $(seq 1 300); do
    [ -e "$marks/ready_$id" ] && break
    sleep 0.1
  done
  if [ -e "$marks/ready_$id" ]; then
    import -window root -crop 760x560+0+0 "$out/dialog_$id.png"
  else
    echo "dialog $id was not shown" >&2
  fi
  touch "$marks/shot_$id"
done
wait $runner || true
echo "screenshots in $out"
