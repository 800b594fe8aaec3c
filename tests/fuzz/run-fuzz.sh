#!/usr/bin/env bash
# Runs each fuzz target over its seed corpus and then for SECONDS seconds.
# New inputs go to BUILD/fuzz-work/<target>, findings to BUILD/fuzz-findings/
# (the seed corpora here stay as committed). Exits 1 when any target found something.
# usage: tests/fuzz/run-fuzz.sh BUILD SECONDS [TARGET...]
set -uo pipefail
here=$(cd "$(dirname "$0")" && pwd)
build=$(realpath "${1:?usage: run-fuzz.sh BUILD SECONDS [TARGET...]}")
seconds=${2:?usage: run-fuzz.sh BUILD SECONDS [TARGET...]}
shift 2
targets=("$@")
[ ${#targets[@]} -gt 0 ] || targets=(WaveFileFuzz SetupFileFuzz AreaFileFuzz ShiftJisFuzz CliFuzz)

# The longest input each target takes: a few seconds of a small tune, a whole
# setup.ini with an edit script, a full line.dat, names and command lines.
declare -A max_len=([WaveFileFuzz]=16384 [SetupFileFuzz]=6144 [AreaFileFuzz]=8192 [ShiftJisFuzz]=256 [CliFuzz]=256)

# A tiny tune slowed a million times asks for gigabytes, which the program
# may do; here such an allocation fails instead, so its refusal is fuzzed too.
export ASAN_OPTIONS=${ASAN_OPTIONS:-allocator_may_return_null=1:max_allocation_size_mb=256}

findings=$build/fuzz-findings
mkdir -p "$findings"
failed=()
for target in "${targets[@]}"; do
  work=$build/fuzz-work/$target
  mkdir -p "$work"
  log=$build/fuzz-work/$target.log
  echo "fuzz: $target for ${seconds}s"
  if ! "$build/tests/fuzz/$target" -max_total_time="$seconds" -max_len="${max_len[$target]}" -timeout=20 -rss_limit_mb=2560 \
       -print_final_stats=1 -artifact_prefix="$findings/$target-" "$work" "$here/corpus/$target" >"$log" 2>&1; then
    failed+=("$target")
    tail -n 40 "$log"
  fi
  grep -E '^stat::number_of_executed_units|^stat::average_exec_per_sec|^stat::new_units_added' "$log" | sed "s/^/  $target /"
done
if [ ${#failed[@]} -gt 0 ]; then
  echo "fuzz: findings in ${failed[*]}, inputs kept in $findings"
  exit 1
fi
echo "fuzz: ${#targets[@]} targets ran clean"
