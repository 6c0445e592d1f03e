#!/usr/bin/env bash
# unmanaged_windows.sh PROGRAM.exe...
# Under Wine, hiding or destroying a window that a window manager may manage waits two seconds
# for the manager to withdraw it. The virtual display of the tests runs no window manager, so
# the given programs keep their windows unmanaged: a per-program Wine setting
# (AppDefaults\PROGRAM.exe\X11 Driver\Managed = N) that leaves every other program alone.
set -euo pipefail
runner="$(cd "$(dirname "$0")/../../.." && pwd)/tools/wine/wine-run"
for program in "$@"; do
  "$runner" reg add "HKCU\\Software\\Wine\\AppDefaults\\$program\\X11 Driver" \
    /v Managed /t REG_SZ /d N /f >/dev/null
done
