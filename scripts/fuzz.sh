#!/usr/bin/env bash
# Builds the libFuzzer targets with clang and runs each of them for a bounded time.
# Usage: scripts/fuzz.sh [seconds per target]   (default 30; the targets run side by side).
# Target tests/fuzz/<name>/ builds fuzz_<name>; its seed inputs sit in tests/fuzz/<name>/seeds/.
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-30}
dir=${VM_BUILD_ROOT:-build}/fuzz
CC=clang CXX=clang++ cmake -S . -B "$dir" -G Ninja -Wno-dev -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DVELMORANTH_FUZZ=ON -DVELMORANTH_BENCH=OFF -DVELMORANTH_WERROR=ON >/dev/null
cmake --build "$dir" -j "$(nproc)" --target fuzz_targets

pids=()
while IFS= read -r target; do
  name=$(basename "$target")
  corpus="$dir/corpus/$name"
  mkdir -p "$corpus"
  seeds="tests/fuzz/${name#fuzz_}/seeds"
  [ -d "$seeds" ] || seeds=""
  "$target" -max_total_time="$seconds" -print_final_stats=0 -artifact_prefix="$dir/$name-" \
    "$corpus" $seeds >"$dir/$name.log" 2>&1 &
  pids+=("$!:$name")
done < <(find "$dir/tests/fuzz" -type f -executable -name 'fuzz_*' | sort)
failed=0
for entry in ${pids[@]+"${pids[@]}"}; do
  if wait "${entry%%:*}"; then
    echo "fuzz: ${entry#*:} ran ${seconds}s without a finding"
  else
    echo "fuzz: ${entry#*:} FOUND A FAULT; see $dir/${entry#*:}.log"; tail -40 "$dir/${entry#*:}.log"
    failed=1
  fi
done
exit $failed
