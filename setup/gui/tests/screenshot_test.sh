#!/usr/bin/env bash
# screenshot_test.sh BINARY_DIR OUT_DIR
# Shows the demo form, the password box and a confirmation box of gui_demo.exe under Wine,
# takes a screenshot of each into OUT_DIR, checks their sizes, and closes them with
# gui_driver.exe the way a user would.
set -euo pipefail
bin=$1 out=$2
here=$(cd "$(dirname "$0")" && pwd)
run="$here/../../../tools/wine/wine-run"
. "$(dirname "$run")/display.sh"
mkdir -p "$out"

xvfb=""
if [ -z "${DISPLAY:-}" ]; then  # the demo, the driver and the screenshots share one display
  talu_start_display
fi
trap '[ -z "$xvfb" ] || kill "$xvfb"' EXIT

driver() { "$run" "$bin/gui_driver.exe" "$@"; }

# shot NAME TITLE BUTTON EXIT_CODE GUI_DEMO_ARGS...: shows the window, takes its picture,
# checks that the picture is the whole window, presses BUTTON and checks the exit code.
shot() {
  local name=$1 title=$2 button=$3 code=$4; shift 4
  "$run" "$bin/gui_demo.exe" "$@" & local demo=$!
  local size; size=$(driver size "$title")
  "$here/screenshot.sh" "$title" "$out/$name.png"
  driver click "$title" "$button"
  local status=0; wait "$demo" || status=$?
  [ "$status" = "$code" ] || { echo "$name: exit code $status, expected $code" >&2; exit 1; }
  local actual; actual=$(identify -format '%wx%h' "$out/$name.png")
  [ "$actual" = "$size" ] || { echo "$name: picture $actual, window $size" >&2; exit 1; }
  echo "$out/$name.png ($actual)"
}

title="GUI Demo $$"
shot demo_form "$title" Close 0 form "$title"
shot password_box 'Password for "CSTALU\data.bin"' Cancel 1 password 'CSTALU\data.bin'
shot confirmation Confirmation 'No to All' 8 message 'Overwrite file "C:\Marlo\Talu\TaluDemo.ico" with "TaluDemo.ico"'
