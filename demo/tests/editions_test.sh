#!/usr/bin/env bash
# editions_test.sh ITEMS_DIR GUI_DRIVER OUT_DIR
# Starts each edition program of a laid-out payload (ITEMS_DIR: the programs with the data
# folder CSTALU beside them, as after an installation) under Wine, waits for its window,
# checks that it greets in the edition's own language and shows a line of the edition's tips
# file, takes a screenshot into OUT_DIR, and presses Close: the program must end with code 0.
set -euo pipefail
[ $# -eq 3 ] || { echo "usage: editions_test.sh ITEMS_DIR GUI_DRIVER OUT_DIR" >&2; exit 2; }
items=$1 driver_exe=$2 shots=$3
here=$(cd "$(dirname "$0")" && pwd)
. "$here/../../setup/tests/e2e_lib.sh"
mkdir -p "$shots"

xvfb=""
if [ -z "${DISPLAY:-}" ]; then  # the programs, the driver and the screenshots share one display
  talu_start_display
fi
trap '[ -z "$xvfb" ] || kill "$xvfb"' EXIT

passed=0 failed=0
fail() { echo "FAIL $*" >&2; failed=$((failed + 1)); }

# edition LETTER NAME TIPS GREETING: one program, its window and its exit.
edition() {
  local letter=$1 name=$2 tips=$3 greeting=$4
  local title="TaluDemo - $name" before=$failed
  "$run" "$items/Talu_Demo_0107$letter.exe" & local program=$!
  local controls
  controls=$(driver list "$title") || { fail "$name: no window"; kill "$program"; return; }
  grep -qF "$greeting" <<<"$controls" || fail "$name: no greeting \"$greeting\""
  grep -qF "TaluDemo 1.0.7" <<<"$controls" || fail "$name: no product line from CSTALU"
  local tip_shown=false line
  while IFS= read -r line; do
    [ -n "$line" ] && grep -qF "$line" <<<"$controls" && tip_shown=true
  done <"$items/CSTALU/tips/$tips.txt"
  $tip_shown || fail "$name: no line of tips/$tips.txt"
  shot "$title" "edition_$letter" >/dev/null || fail "$name: no screenshot"
  driver click "$title" Close || fail "$name: Close not pressed"
  local status=0; wait "$program" || status=$?
  [ "$status" = 0 ] || fail "$name: exit code $status"
  if [ "$failed" = "$before" ]; then
    passed=$((passed + 1)); echo "$name: $shots/edition_$letter.png"
  fi
}

edition B Basic en "Здравствуйте! Добро пожаловать в TaluDemo."
edition G Greek el "Γεια σας! Καλώς ήρθατε στο TaluDemo."
edition V Vietnamese vi "Xin chào! Chào mừng bạn đến với TaluDemo."
edition J Japanese ja "こんにちは！TaluDemoへようこそ。"
echo "$passed passed, $failed failed"
[ "$failed" = 0 ]
