#!/usr/bin/env bash
# setup_e2e.sh SETUP.exe GUI_DRIVER.exe LOCKER.exe PAYLOAD_DIR OUT_DIR
# Drives the real setup program under Wine from outside, as a user would, and takes a
# screenshot of each state into OUT_DIR: the missing payload, the install ready, the password
# box of an item under another password, the finished install, the uninstall ready. Then the
# installed uninstaller runs while TaluDemo.exe is held open, and a restart (wineboot -r)
# removes what it had to leave.
set -euo pipefail
setup_exe=$1 driver_exe=$2 locker_exe=$3 payloads=$4 out=$5
here=$(cd "$(dirname "$0")" && pwd)
run="$here/../../tools/wine/wine-run"
. "$(dirname "$run")/display.sh"
export TALU_WINE_ROOT=${TALU_WINE_ROOT:-$PWD/wine}
"$run" cmd /c exit  # makes the prefix when needed
drive_c="$TALU_WINE_ROOT/pfx/drive_c"
name="talu-e2e-$$"
work="$drive_c/$name" win_work="C:\\$name"
target="$work/Talu Demo" win_target="$win_work\\Talu Demo"
title="Talu Demo Setup"
uninstall_key='HKCU\SOFTWARE\Microsoft\Windows\CurrentVersion\Uninstall\MarloTALUDemo'
product_key='HKCU\Software\Corvanis\MarloTALUDemo'
pending_key='HKLM\System\CurrentControlSet\Control\Session Manager'
mkdir -p "$out" "$work"

xvfb="" lock_pid=""
if [ -z "${DISPLAY:-}" ]; then  # the program, the driver and the screenshots share one display
  talu_start_display
fi
cleanup() {
  exec 8>&- 2>/dev/null || true
  [ -z "$lock_pid" ] || wait "$lock_pid" 2>/dev/null || true
  "$run" reg delete "$uninstall_key" /f >/dev/null 2>&1 || true
  "$run" reg delete "$product_key" /f >/dev/null 2>&1 || true
  rm -rf "$work"
  [ -z "$xvfb" ] || kill "$xvfb"
}
trap cleanup EXIT

fail() { echo "setup_e2e: $*" >&2; exit 1; }
driver() { "$run" "$driver_exe" --timeout 60 "$@"; }
shot() { "$here/../gui/tests/screenshot.sh" "$1" "$out/$2.png" 60; echo "$out/$2.png"; }
# start_setup FOLDER PROGRAM: starts the program with FOLDER as its current folder.
start_setup() { (cd "$1" && exec "$run" "$2") & app=$!; driver wait "$title" >/dev/null; }
finish_setup() { wait "$app" || fail "the setup program ended with $?"; }
expect_control() {  # expect_control LIST_LINE_PATTERN: a line of "gui_driver list"
  driver list "$title" | grep -qP "$1" || fail "no control like /$1/"
}
reg_value() { "$run" reg query "$1" /v "$2" 2>/dev/null | tr -d '\r' | sed -n "s/^ *$2 *REG_[A-Z_]* *//p"; }

# 1. Started without the payload: only Cancel works.
mkdir -p "$work/empty"; cp "$setup_exe" "$work/empty/setup.exe"
start_setup "$work/empty" setup.exe
shot "$title" missing_payload
expect_control '\tdisabled\t280,363,122,25\tInstall$'
expect_control '\tvisible\tenabled\t105,128,\d+,\d+\tRequired files are not found!$'
driver click "$title" Cancel
finish_setup

# 2. The install run, with an item under another password whose box is cancelled.
mkdir -p "$work/setupdir"; cp "$setup_exe" "$work/setupdir/setup.exe"
cp "$payloads/TDfls-extra.zdt" "$work/setupdir/TDfls.zdt"
start_setup "$work/setupdir" setup.exe
shot "$title" install_ready
driver click "$title" "Browse..." click "Browse for Folder" Cancel \
  wait-text "$title" Edit:1 'C:\Marlo\Talu\'
driver click "$title" Japanese set "$title" Edit:1 "$win_target" click "$title" Install
shot 'Password for "Extra.txt"' password_box
driver click 'Password for "Extra.txt"' Cancel get "$title" Exit >/dev/null
shot "$title" finished
expect_control '\tenabled\t280,363,122,25\tExit$'
expect_control '\tdisabled\t425,363,122,25\tCancel$'
[ "$(reg_value "$uninstall_key" UninstallString)" = "\"$win_target\\Uninstall.exe\" Uninstall" ] ||
  fail "UninstallString: $(reg_value "$uninstall_key" UninstallString)"
[ "$(reg_value "$product_key" WorkDir)" = "$win_target" ] || fail "WorkDir"
[ -f "$target/TaluDemo.exe" ] && [ -f "$target/CSTALU/aes.dat" ] && [ ! -e "$target/Extra.txt" ] ||
  fail "installed files"
grep -q "TaluDemo J" "$target/TaluDemo.exe" || fail "the chosen edition: $(cat "$target/TaluDemo.exe")"
[ ! -e "$work/setupdir/TDfls.zdt" ] || fail "the payload is still there"
driver click "$title" Exit
finish_setup

# 3. The installed uninstaller, started by its name, while the product runs.
mkfifo "$work/lock.in"
"$run" "$locker_exe" lock "$win_target\\TaluDemo.exe" <"$work/lock.in" >"$work/lock.out" &
lock_pid=$!
exec 8>"$work/lock.in"
for _ in $(seq 100); do grep -q locked "$work/lock.out" 2>/dev/null && break; sleep 0.1; done
grep -q locked "$work/lock.out" || fail "TaluDemo.exe could not be locked"
start_setup "$target" Uninstall.exe
[ "$(driver get "$title" Edit:1 | tr -d '\r')" = "$win_target" ] || fail "the folder shown"
shot "$title" uninstall_ready
driver click "$title" Uninstall click Information OK
finish_setup
[ -f "$target/TaluDemo.exe" ] || fail "the locked program was deleted"
[ ! -e "$target/TaluDemo.ico" ] && [ ! -e "$target/CSTALU" ] || fail "not removed at once"
"$run" reg query "$pending_key" /v PendingFileRenameOperations | tr -d '\r' |
  grep -qF "$name\\Talu Demo\\TaluDemo.exe" || fail "TaluDemo.exe not scheduled"
! "$run" reg query "$uninstall_key" >/dev/null 2>&1 || fail "the uninstall entry is still there"

# 4. The restart removes the program, the uninstaller and the folder.
exec 8>&-; wait "$lock_pid"; lock_pid=""
"$run" wineboot -r
[ ! -e "$target" ] || fail "the installation folder survived the restart: $(ls "$target")"
echo "setup_e2e: all steps passed"
