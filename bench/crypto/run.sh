#!/usr/bin/env bash
# Runs the crypto benchmark of the native build in $1 and prints its table of ratios to OpenSSL.
#   bench/crypto/run.sh build/native
set -euo pipefail
build=${1:?usage: run.sh NATIVE_BUILD_DIR}
program="$build/bench/crypto/crypto_bench"
[ -x "$program" ] || cmake --build "$build" --target crypto_bench
echo "== crypto: ours against OpenSSL (median of 3 runs each) =="
"$program" --benchmark_repetitions=3 --benchmark_report_aggregates_only=true \
  --benchmark_min_time=0.2 "${@:2}"
