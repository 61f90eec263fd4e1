#!/bin/bash
# Builds the libFuzzer targets (the fuzz preset) and runs each for SECONDS (default 60), two at a
# time, from a copy of its seed corpus. Fails if any target finds a crash, a leak or a hang; the
# input that did it is kept in build/fuzz/findings/<target>/.
set -euo pipefail
cd "$(dirname "$0")/.."

seconds=${1:-60}
targets=(fuzz_line_reader fuzz_get_registry fuzz_rewrite fuzz_attribute_list)

# clang 14 and its libFuzzer runtime.
packages=(clang libclang-rt-14-dev cmake ninja-build)
scripts/install-deps.sh "${packages[@]}"

cmake --preset fuzz >/dev/null
cmake --build --preset fuzz

work=$(mktemp -d /tmp/setup-fuzz.XXXXXX)
trap 'rm -rf "$work"' EXIT
findings=build/fuzz/findings
rm -rf "$findings"

# Runs one target; its own TMPDIR keeps the files it writes inside the run's folder.
run_target() {
  local target=$1 seconds=$2 work=$3
  local dir=$work/$target
  mkdir -p "$dir/corpus" "$dir/artifacts" "$dir/tmp"
  cp tests/fuzz/corpus/"$target"/* "$dir/corpus/"
  if TMPDIR=$dir/tmp build/fuzz/tests/fuzz/"$target" "$dir/corpus" \
    -max_total_time="$seconds" -rss_limit_mb=2048 -timeout=30 -print_final_stats=1 \
    -artifact_prefix="$dir/artifacts/" >"$dir/log" 2>&1; then
    echo ok >"$dir/result"
  else
    echo failed >"$dir/result"
  fi
}
export -f run_target
printf '%s\n' "${targets[@]}" | xargs -P"$(nproc)" -I{} bash -c 'run_target "$@"' _ {} "$seconds" "$work"

status=0
for target in "${targets[@]}"; do
  dir=$work/$target
  runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$dir/log" | tail -1)
  coverage=$(grep -o 'cov: [0-9]*' "$dir/log" | tail -1 | cut -d' ' -f2)
  corpus=$(find "$dir/corpus" -type f | wc -l)
  if [ "$(cat "$dir/result")" = ok ]; then
    printf '%-22s ok      %10s runs in %ss, coverage %s, corpus %s\n' \
      "$target" "${runs:-?}" "$seconds" "${coverage:-?}" "$corpus"
  else
    status=1
    mkdir -p "$findings/$target"
    cp "$dir"/artifacts/* "$findings/$target/" 2>/dev/null || true
    cp "$dir/log" "$findings/$target/log"
    printf '%-22s FAILED  after %s runs; input and log in %s\n' \
      "$target" "${runs:-?}" "$findings/$target"
    grep -m1 -E 'invariant broken|ERROR: (AddressSanitizer|LeakSanitizer|libFuzzer)|runtime error' \
      "$dir/log" || true
  fi
done
exit $status
