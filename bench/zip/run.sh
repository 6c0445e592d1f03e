#!/usr/bin/env bash
# Listing benchmark of zipread against peer tools. Usage: bench/zip/run.sh NATIVE_BUILD_DIR
set -euo pipefail
build=${1:?usage: run.sh NATIVE_BUILD_DIR}
exec python3 "$(dirname "$0")/list_bench.py" "$build/tools/zipread/zipread"
