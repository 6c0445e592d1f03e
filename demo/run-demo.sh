#!/usr/bin/env bash
# run-demo.sh BUILD_DIR: installs TaluDemo from its real payload into a fresh Wine prefix,
# runs the installed product, uninstalls it through its uninstall entry, restarts the prefix
# and reports what was there at each step. BUILD_DIR is a Windows build (build/win32, or its
# 64-bit twin build/win64 with TALU_WINE_ARCH=win64 for a prefix of that kind). Without a display (or with TALU_DEMO_AUTO=1) it
# presses the buttons itself on a virtual display and takes a screenshot of each step; with a
# display the windows are the user's to click.
set -euo pipefail
build=$(cd "$1" && pwd)
here=$(cd "$(dirname "$0")" && pwd)
out="$build/demo/run"
export TALU_WINE_ROOT="$out/wine" TALU_WINE_ARCH=${TALU_WINE_ARCH:-win32}
driver_exe="$build/setup/gui/tests/gui_driver.exe" shots="$out/screenshots" driver_timeout=120
. "$here/../setup/tests/e2e_lib.sh"
rm -rf "$out"
mkdir -p "$shots"
report="$out/report.txt"
: >"$report"
say() { echo "$*" | tee -a "$report"; }
snap() { say "screenshot: $(shot "$1" "$2")"; }

auto=${TALU_DEMO_AUTO:-}
xvfb=""
if [ -z "${DISPLAY:-}" ]; then
  auto=1
  talu_start_display
fi
trap 'stop_server; [ -z "$xvfb" ] || kill "$xvfb"' EXIT

keep_server  # a fresh prefix
drive_c="$TALU_WINE_ROOT/pfx/drive_c"
mkdir -p "$drive_c/setupdir"
cp "$build/setup/setup.exe" "$build/demo/payload/TDfls.zdt" "$drive_c/setupdir/"
say "== Install: C:\\setupdir\\setup.exe with the payload TDfls.zdt beside it"
start_setup "$drive_c/setupdir" setup.exe
if [ -n "$auto" ]; then
  snap "$title" 1-install-ready
  driver click "$title" Japanese click "$title" Install get "$title" Exit >/dev/null
  snap "$title" 2-install-finished
  say "status line: $(driver list "$title" | tr -d '\r' | grep -o 'Successful' || echo '(not Successful)')"
  driver click "$title" Exit >/dev/null
fi
wait "$app"
workdir=$(reg_value "$product_key" WorkDir)
uninstall=$(reg_value "$uninstall_key" UninstallString)
say "WorkDir: $workdir"
say "UninstallString: $uninstall"
say "DisplayName: $(reg_value "$uninstall_key" DisplayName)"
target=$(unix_path "$workdir")
say "installed files:"; (cd "$target" && find . -type f | sort | sed 's/^/  /') | tee -a "$report"
say "shortcuts:"; (cd "$drive_c/users" && find . -name '*.lnk' | sort | sed 's/^/  /') | tee -a "$report"
say "pending operations after install: $(pending)"

say "== The installed product"
(cd "$target" && exec "$run" TaluDemo.exe) & app=$!
if [ -n "$auto" ]; then
  driver wait "TaluDemo - Japanese" >/dev/null
  snap "TaluDemo - Japanese" 3-product
  driver click "TaluDemo - Japanese" Close >/dev/null
fi
wait "$app"

say "== Uninstall through the uninstall entry: $uninstall"
run_uninstall_string "$out"
if [ -n "$auto" ]; then
  snap "$title" 4-uninstall-ready
  driver click "$title" Uninstall wait Information >/dev/null
  snap Information 5-uninstall-information
  driver click Information OK >/dev/null
fi
wait "$app" || true
say "status after uninstall: uninstall entry $(reg_key_exists "$uninstall_key" && echo present || echo gone)"
say "files left before the restart:"; (cd "$target" 2>/dev/null && find . | sort | sed 's/^/  /') | tee -a "$report" || true
say "pending operations before the restart: $(pending)"

say "== Restart (wineboot -r)"
"$run" wineboot -r
say "pending operations after the restart: $(pending)"
if [ -e "$target" ]; then
  say "RESULT: files of the product survived the restart"; exit 1
fi
say "RESULT: TaluDemo installed, ran, uninstalled; after the restart nothing of it is left"
say "report: $report"
