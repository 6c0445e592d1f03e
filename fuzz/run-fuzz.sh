#!/usr/bin/env bash
# Runs fuzz targets one after another, each for SECONDS with its seeds, and prints per target
# the executions, the coverage of the last status line and any finding. Exits non-zero when a
# target found something.
# Usage: run-fuzz.sh FUZZ_BUILD_DIR SECONDS [TARGET...]   (default: every target)
set -uo pipefail
dir=$1 seconds=$2; shift 2
src=$(cd "$(dirname "$0")" && pwd)
targets=("$@")
[ ${#targets[@]} -gt 0 ] || targets=(open test_items extract name_index mask_match split_inflate inflaters)

# Per target: seed set, dictionary (- for none) and largest input.
options_of() {
  case $1 in
    open | extract) echo "archives zip.dict 65536" ;;
    test_items) echo "test_items zip.dict 65536" ;;
    name_index) echo "name_index names.dict 8192" ;;
    mask_match) echo "mask_match names.dict 1024" ;;
    split_inflate | inflaters) echo "split_inflate - 65536" ;;  # no dictionary
    *) return 1 ;;
  esac
}

failed=0
for target in "${targets[@]}"; do
  read -r seeds dict max_len < <(options_of "$target") || { echo "unknown target $target"; exit 2; }
  dict_option=()
  [ "$dict" = - ] || dict_option=(-dict="$src/$dict")
  corpus=$dir/corpus/$target log=$dir/logs/$target.log
  mkdir -p "$corpus" "$dir/logs" "$dir/findings"
  rm -f "$dir/findings/$target"-*
  "$dir/fuzz_$target" -max_total_time="$seconds" -rss_limit_mb=2048 -timeout=10 \
    -max_len="$max_len" ${dict_option[@]+"${dict_option[@]}"} -print_final_stats=1 \
    -artifact_prefix="$dir/findings/$target-" "$corpus" "$dir/seeds/$seeds" >"$log" 2>&1
  status=$?
  execs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log")
  speed=$(sed -n 's/^stat::average_exec_per_sec: *//p' "$log")
  coverage=$(grep -E '^#[0-9]+' "$log" | tail -1 | grep -oE 'cov: [0-9]+ ft: [0-9]+')
  printf '%-11s %s executions, %s exec/s, %s, corpus %s files' "$target" "${execs:-?}" \
    "${speed:-?}" "${coverage:-cov ?}" "$(ls "$corpus" | wc -l)"
  finding=$(ls "$dir/findings/$target"-* 2>/dev/null | head -1)
  if [ $status -ne 0 ] || [ -n "$finding" ]; then
    failed=1
    printf ', FINDING (exit %s) %s, log %s\n' "$status" "${finding:-}" "$log"
    grep -E 'ERROR|SUMMARY|abort|written outside|differs' "$log" | head -5
  else
    printf '\n'
  fi
done
exit $failed
