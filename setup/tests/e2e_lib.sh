# Sourced by the scripts that drive the real setup program under Wine from outside
# (setup/tests/setup_e2e*.sh, demo/run-demo.sh). Before sourcing, the caller sets `driver_exe`
# (gui_driver.exe) and `shots` (the screenshot folder) and exports TALU_WINE_ROOT; `hold`
# needs `locker_exe` (util_test_helper.exe) and `work` (a folder for its pipes). It provides
# the names of the product's window and registry entries and helpers that start the program,
# press its buttons and read back what it left, with the platform's own tools.
e2e_lib_dir=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
run="$e2e_lib_dir/../../tools/wine/wine-run"
. "$e2e_lib_dir/../../tools/wine/display.sh"

title="Talu Demo Setup"
uninstall_key='HKCU\SOFTWARE\Microsoft\Windows\CurrentVersion\Uninstall\MarloTALUDemo'
product_key='HKCU\Software\Corvanis\MarloTALUDemo'
pending_key='HKLM\System\CurrentControlSet\Control\Session Manager'
runonce_key='HKCU\Software\Microsoft\Windows\CurrentVersion\RunOnce'

driver() { "$run" "$driver_exe" --timeout "${driver_timeout:-60}" "$@"; }
# keep_server: makes the prefix when needed and keeps its wineserver running until stop_server.
# When the server stops, the next program's start processes the deletions scheduled for the
# restart, as a reboot would; they must stay pending until the script restarts the prefix.
keep_server() {
  "$run" cmd /c exit
  stop_server
  WINEPREFIX="$TALU_WINE_ROOT/pfx" wineserver -p
}
stop_server() {  # ends the prefix's programs and waits until its server has gone
  WINEPREFIX="$TALU_WINE_ROOT/pfx" wineserver -k 2>/dev/null || true
  WINEPREFIX="$TALU_WINE_ROOT/pfx" wineserver -w 2>/dev/null || true
}
# shot TITLE NAME: a picture of the window into $shots/NAME.png; prints its path.
shot() {
  "$e2e_lib_dir/../gui/tests/screenshot.sh" "$1" "$shots/$2.png" 60 >/dev/null
  echo "$shots/$2.png"
}
reg_value() {
  "$run" reg query "$1" /v "$2" 2>/dev/null | tr -d '\r' | sed -n "s/^ *$2 *REG_[A-Z_]* *//p"
}
reg_key_exists() { "$run" reg query "$1" >/dev/null 2>&1; }
# The deletions and renames pending for the next restart, as "reg query" shows them.
pending() {
  "$run" reg query "$pending_key" /v PendingFileRenameOperations 2>/dev/null | tr -d '\r' |
    grep -o 'REG_MULTI_SZ.*' || echo "(none)"
}

# start_setup FOLDER COMMAND...: starts the program with FOLDER as its current folder and
# waits for its window; its process id is left in `app`.
start_setup() {
  local folder=$1
  shift
  (cd "$folder" && exec "$run" "$@") &
  app=$!
  driver wait "$title" >/dev/null
}

# run_uninstall_string FOLDER: runs the uninstall entry's command line exactly as stored, through
# the command interpreter (from a one-line script, so that no quoting is added on the way), with
# FOLDER as the current folder; in the background like start_setup.
run_uninstall_string() {
  local command
  command=$(reg_value "$uninstall_key" UninstallString)
  [ -n "$command" ] || return 1
  printf '@%s\r\n' "$command" >"$1/uninstall-entry.cmd"
  (cd "$1" && exec "$run" cmd /c uninstall-entry.cmd) &
  app=$!
  driver wait "$title" >/dev/null
}

# The values our deletions left for the user's next logon, one "NAME COMMAND" per line.
logon_entries() {
  "$run" reg query "$runonce_key" 2>/dev/null | tr -d '\r' |
    sed -n 's/^ *\(TaluDelete[0-9]*\) *REG_SZ */\1 /p' || true
}

# hold NAME READY ARGS...: util_test_helper.exe runs with ARGS (lock PATH, standard-user) until
# `release NAME`; waits for its READY line. Its input ends only when the sleeping writer of its
# pipe is killed, so programs started meanwhile inherit nothing that would keep it alive.
declare -gA held_writer=() held_helper=()
hold() {
  local name=$1 ready=$2
  shift 2
  rm -f "$work/$name.in" "$work/$name.out"
  mkfifo "$work/$name.in"
  sleep 600 >"$work/$name.in" &
  held_writer[$name]=$!
  "$run" "$locker_exe" "$@" <"$work/$name.in" >"$work/$name.out" &
  held_helper[$name]=$!
  for _ in $(seq 100); do grep -q "$ready" "$work/$name.out" 2>/dev/null && return; sleep 0.1; done
  return 1
}
release() {
  kill "${held_writer[$1]}" 2>/dev/null || true
  wait "${held_helper[$1]}" || true
  unset "held_writer[$1]" "held_helper[$1]"
}
release_all() {
  local name
  for name in "${!held_writer[@]}"; do release "$name"; done
}

# unix_path 'C:\x\y': the file in the prefix.
unix_path() {
  local path=${1#[Cc]:\\}
  echo "$TALU_WINE_ROOT/pfx/drive_c/${path//\\//}"
}

# The current user's desktop and start-menu Programs folders, as Windows paths.
shell_folder() {
  reg_value 'HKCU\Software\Microsoft\Windows\CurrentVersion\Explorer\Shell Folders' "$1"
}
