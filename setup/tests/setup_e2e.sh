#!/usr/bin/env bash
# setup_e2e.sh SETUP.exe GUI_DRIVER.exe LOCKER.exe PAYLOAD_DIR PRODUCT_PAYLOAD_DIR OUT_DIR
# Drives the real setup program under Wine from outside, as a user would, and takes a
# screenshot of each state into OUT_DIR:
#  1. a folder named like the payload: the missing-payload window;
#  2. an install of the test payload (an item under another password, its box cancelled),
#     its shortcuts read back from the .lnk files;
#  3. a second install over it from the product's AES payload (PRODUCT_PAYLOAD_DIR, with the
#     laid-out items in its "items" folder): "Found old version." answered Yes, and the
#     failure question for a data file held open by another process answered Abort, then,
#     pressing Install again, Retry;
#  4. the uninstaller started through the uninstall entry's command line while TaluDemo.exe
#     is held open;
#  5. a restart (wineboot -r), which removes what the uninstaller had to leave;
#  6. the same as a user without administrator rights (the machine-wide list of pending
#     operations and the machine's RunOnce key refuse writes): install, a file of the user's in
#     the folder, TaluDemo.exe held, uninstall; a reinstall before the restart and the next logon
#     (played as the shell plays it: Wine's restart does not), which keep it whole; an upgrade
#     stopped by the running program, then completed; the uninstall again, restart and logon.
set -euo pipefail
setup_exe=$1 driver_exe=$2 locker_exe=$3 payloads=$4 product=$5 shots=$6
export TALU_WINE_ROOT=${TALU_WINE_ROOT:-$PWD/wine}
here=$(cd "$(dirname "$0")" && pwd)
. "$here/e2e_lib.sh"
keep_server
name="talu-e2e-$$"
win_work="C:\\$name" work=$(unix_path "C:\\$name")
win_target="$win_work\\Talu Demo" target="$work/Talu Demo"
mkdir -p "$shots" "$work"

xvfb=""
if [ -z "${DISPLAY:-}" ]; then  # the program, the driver and the screenshots share one display
  talu_start_display
fi
cleanup() {
  local status=$?
  release_all  # first: the machine-wide lists are writable again only when the helper ends
  # A failed step may leave a window waiting for an answer: end this prefix's programs.
  [ "$status" = 0 ] || stop_server
  logon_entries | while read -r value _; do
    "$run" reg delete "$runonce_key" /v "$value" /f >/dev/null 2>&1 || true
  done
  "$run" reg delete "$uninstall_key" /f >/dev/null 2>&1 || true
  "$run" reg delete "$product_key" /f >/dev/null 2>&1 || true
  stop_server
  rm -rf "$work"
  [ -z "$xvfb" ] || kill "$xvfb"
}
trap cleanup EXIT

fail() { echo "setup_e2e: $*" >&2; exit 1; }
finish_setup() { wait "$app" || fail "the setup program ended with $?"; }
expect_control() {  # expect_control LIST_LINE_PATTERN: a line of "gui_driver list"
  driver list "$title" | grep -qP "$1" || fail "no control like /$1/"
}
# setup_folder NAME PAYLOAD: a folder with setup.exe and PAYLOAD as TDfls.zdt.
setup_folder() {
  mkdir -p "$work/$1"
  cp "$setup_exe" "$work/$1/setup.exe"
  cp "$2" "$work/$1/TDfls.zdt"
}
# lock_file WINDOWS_PATH: another process holds the file open (without delete sharing) until
# unlock_file.
lock_file() { hold lock locked lock "$1" || fail "$1 could not be locked"; }
unlock_file() { release lock; }
desktop=$(unix_path "$(shell_folder Desktop)")
group=$(unix_path "$(shell_folder Programs)\\Marlo\\Talu")
# The three shortcuts of an installation in $win_target, as the .lnk files hold them.
expect_links() {
  local links="$here/read_lnk.py" d="$win_target\\"
  python3 "$links" "$desktop/TaluDemo.lnk" --target "${d}TaluDemo.exe" \
    --icon "${d}TaluDemo.ico,0" --workdir "$d" --args "" --description "" &&
    python3 "$links" "$group/TaluDemo.lnk" --target "${d}TaluDemo.exe" \
      --icon "${d}TaluDemo.ico,0" --workdir "$d" --args "" --description "" &&
    python3 "$links" "$group/Uninstall.lnk" --target "${d}Uninstall.exe" --icon "" \
      --workdir "$d" --args "" --description "Uninstall TaluDemo" || fail "the shortcuts"
}
expect_registry() {
  [ "$(reg_value "$uninstall_key" UninstallString)" = "\"$win_target\\Uninstall.exe\" Uninstall" ] ||
    fail "UninstallString: $(reg_value "$uninstall_key" UninstallString)"
  [ "$(reg_value "$uninstall_key" DisplayIcon)" = "$win_target\\TaluDemo.ico" ] ||
    fail "DisplayIcon: $(reg_value "$uninstall_key" DisplayIcon)"
  [ "$(reg_value "$product_key" WorkDir)" = "$win_target" ] || fail "WorkDir"
}

# 1. A folder in the payload's place: only Cancel works, and the folder is left alone.
mkdir -p "$work/empty/TDfls.zdt"; cp "$setup_exe" "$work/empty/setup.exe"
echo "not the payload" >"$work/empty/TDfls.zdt/notes.txt"
start_setup "$work/empty" setup.exe
shot "$title" missing_payload
expect_control '\tdisabled\t280,363,122,25\tInstall$'
expect_control '\tvisible\tenabled\t105,128,\d+,\d+\tRequired files are not found!$'
driver click "$title" Cancel
finish_setup
[ -f "$work/empty/TDfls.zdt/notes.txt" ] || fail "the folder named like the payload was touched"

# 2. The install run, with an item under another password whose box is cancelled.
setup_folder setupdir "$payloads/TDfls-extra.zdt"
start_setup "$work/setupdir" setup.exe
# The artwork unstriped and the bold labels bold (tests/check_window.py).
python3 "$here/check_window.py" "$(shot "$title" install_ready)" "$(dirname "$setup_exe")/artwork.bmp" ||
  fail "the window does not look as it should"
driver click "$title" "Browse..." click "Browse for Folder" Cancel \
  wait-text "$title" Edit:1 'C:\Marlo\Talu\'
driver click "$title" Japanese set "$title" Edit:1 "$win_target" click "$title" Install
shot 'Password for "Extra.txt"' password_box
driver click 'Password for "Extra.txt"' Cancel get "$title" Exit >/dev/null
shot "$title" finished
expect_control '\tenabled\t280,363,122,25\tExit$'
expect_control '\tdisabled\t425,363,122,25\tCancel$'
expect_control '\tSuccessful$'
expect_registry
expect_links
[ -f "$target/TaluDemo.exe" ] && [ -f "$target/CSTALU/aes.dat" ] && [ ! -e "$target/Extra.txt" ] ||
  fail "installed files"
grep -q "TaluDemo J" "$target/TaluDemo.exe" || fail "the chosen edition: $(cat "$target/TaluDemo.exe")"
[ ! -e "$work/setupdir/TDfls.zdt" ] || fail "the payload is still there"
driver click "$title" Exit
finish_setup

# 3. The product's AES payload over the old installation: the old one goes first. A data file
#    of the same name is held open, so that its item fails until it is released and retried.
echo "old data" >"$target/CSTALU/product.ini"
lock_file "$win_target\\CSTALU\\product.ini"
setup_folder setupdir2 "$product/TDfls.zdt"
start_setup "$work/setupdir2" setup.exe
driver click "$title" Greek set "$title" Edit:1 "$win_target" click "$title" Install \
  wait Confirmation >/dev/null
shot Confirmation old_version
driver list Confirmation | grep -q 'Found old version.' || fail "the old-version question"
driver click Confirmation Yes wait-closed Confirmation wait Confirmation >/dev/null
shot Confirmation locked_file
driver list Confirmation | grep -q "Cannot create file .*possibly disk is full" ||
  fail "the question for the held file: $(driver list Confirmation)"
# Abort: the old version is gone but for the held file, which waits for the restart, and nothing
# took its place, which the user is told; the setup program and the payload stay for another
# try, which meets the held file again.
driver click Confirmation Abort wait Error >/dev/null
shot Error install_stopped
stopped=$(driver list Error)
grep -qF 'Installation stopped. TaluDemo is not registered.' <<<"$stopped" &&
  grep -qF 'The old version will be removed after reboot.' <<<"$stopped" ||
  fail "the stop message: $stopped"
driver click Error OK wait-closed Error
! pending | grep -qF "setupdir2\\setup.exe" || fail "the setup program would go at restart"
[ -f "$work/setupdir2/TDfls.zdt" ] || fail "the payload of the stopped run is gone"
driver click "$title" Install wait Confirmation >/dev/null
unlock_file
driver click Confirmation Retry get "$title" Exit >/dev/null
shot "$title" finished_over_old
expect_control '\tSuccessful$'
driver click "$title" Exit
finish_setup
cmp -s "$target/TaluDemo.exe" "$product/items/Talu_Demo_0107G.exe" || fail "not the Greek edition"
diff -r "$target/CSTALU" "$product/items/CSTALU" >/dev/null || fail "CSTALU is not the product's"
! compgen -G "$target/Talu_Demo_*" >/dev/null || fail "edition files left: $(ls "$target")"
expect_registry
expect_links
pending=$(pending)
# The removal of the old installation scheduled the running program; the folder, live again,
# stays.
grep -qF "setupdir2\\setup.exe" <<<"$pending" || fail "the setup program is not scheduled"
! grep -qF "Talu Demo\\0" <<<"$pending" || fail "the live folder would go at restart"
! grep -qF "Talu Demo\\TaluDemo.exe" <<<"$pending" || fail "the new program would go at restart"
! grep -qF "Talu Demo\\CSTALU" <<<"$pending" || fail "the new data would go at restart"

# 4. The installed uninstaller, through the uninstall entry, while the product runs.
lock_file "$win_target\\TaluDemo.exe"
run_uninstall_string "$work" || fail "no uninstall entry"
[ "$(driver get "$title" Edit:1 | tr -d '\r')" = "$win_target" ] || fail "the folder shown"
shot "$title" uninstall_ready
driver click "$title" Uninstall click Information OK
finish_setup
[ -f "$target/TaluDemo.exe" ] || fail "the locked program was deleted"
[ ! -e "$target/TaluDemo.ico" ] && [ ! -e "$target/CSTALU" ] || fail "not removed at once"
[ ! -e "$desktop/TaluDemo.lnk" ] && [ ! -e "$(dirname "$group")" ] || fail "shortcuts left"
pending | grep -qF "Talu Demo\\TaluDemo.exe" || fail "TaluDemo.exe not scheduled"
! reg_key_exists "$uninstall_key" && ! reg_key_exists "$product_key" || fail "registry keys left"

# 5. The restart removes the program, the uninstaller and the folder.
unlock_file
"$run" wineboot -r
[ ! -e "$target" ] || fail "the installation folder survived the restart: $(ls "$target")"

# 6. A user without administrator rights.
hold rights denied standard-user || fail "the machine-wide lists could not be denied"
! "$run" reg add "$pending_key" /v Probe /d x /f >/dev/null 2>&1 || fail "the list is writable"
setup_folder setupdir3 "$payloads/TDfls.zdt"
start_setup "$work/setupdir3" setup.exe
driver set "$title" Edit:1 "$win_target" click "$title" Install get "$title" Exit >/dev/null
# Its own file waits for the next logon: no box names it as staying.
! driver_timeout=2 driver wait Warning >/dev/null 2>&1 || fail "$(driver list Warning)"
driver click "$title" Exit
finish_setup
echo "mine" >"$target/notes.txt"
# uninstall_while_running: the installed uninstaller while TaluDemo.exe is held.
uninstall_while_running() {
  lock_file "$win_target\\TaluDemo.exe"
  run_uninstall_string "$work" || fail "no uninstall entry"
  driver click "$title" Uninstall wait Information >/dev/null || fail "no box: $(driver list Warning)"
  driver list Information | grep -qF 'Some files will be deleted after reboot.' || fail "the box"
  driver click Information OK
  finish_setup
  [ "$(pending)" = "(none)" ] || fail "the machine-wide list holds: $(pending)"
  unlock_file
}
uninstall_while_running
# A reinstall into the same folder before the logon keeps everything it lays down.
setup_folder setupdir4 "$payloads/TDfls.zdt"
start_setup "$work/setupdir4" setup.exe
driver set "$title" Edit:1 "$win_target" click "$title" Install get "$title" Exit >/dev/null
! driver_timeout=2 driver wait Warning >/dev/null 2>&1 || fail "$(driver list Warning)"
driver click "$title" Exit
finish_setup
"$run" wineboot -r
"$run" "$locker_exe" logon
[ -f "$target/TaluDemo.exe" ] && [ -f "$target/Uninstall.exe" ] && [ -f "$target/CSTALU/aes.dat" ] ||
  fail "the reinstall lost files at the logon: $(ls -A "$target")"
expect_registry
# An upgrade over the running program stops: the box says that the old version waits for the
# restart; once the program has ended, Install in the same window works.
lock_file "$win_target\\TaluDemo.exe"
setup_folder setupdir5 "$payloads/TDfls.zdt"
start_setup "$work/setupdir5" setup.exe
driver set "$title" Edit:1 "$win_target" click "$title" Install wait Confirmation >/dev/null
driver click Confirmation Yes wait-closed Confirmation wait Error >/dev/null
stopped=$(driver list Error)
grep -qF 'TaluDemo.exe is in use and cannot be replaced.' <<<"$stopped" &&
  grep -qF 'The old version will be removed after reboot.' <<<"$stopped" ||
  fail "the stop message: $stopped"
driver click Error OK wait-closed Error
unlock_file
driver click "$title" Install get "$title" Exit >/dev/null
driver click "$title" Exit
finish_setup
expect_registry
uninstall_while_running
"$run" wineboot -r
"$run" "$locker_exe" logon
[ "$(ls -A "$target")" = notes.txt ] && [ "$(cat "$target/notes.txt")" = mine ] ||
  fail "the folder holds: $(ls -A "$target")"
for d in setupdir3 setupdir4 setupdir5; do
  [ ! -e "$work/$d/setup.exe" ] || fail "the setup program of $d is still there"
done
[ ! -e "$desktop/TaluDemo.lnk" ] && [ ! -e "$(dirname "$group")" ] || fail "shortcuts left"
! reg_key_exists "$uninstall_key" && ! reg_key_exists "$product_key" || fail "registry keys left"
[ -z "$(logon_entries)" ] || fail "values left in RunOnce: $(logon_entries)"
release rights
echo "setup_e2e: all steps passed"
