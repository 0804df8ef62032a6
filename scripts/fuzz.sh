#!/usr/bin/env bash
# Builds the libFuzzer targets with clang (in build-fuzz/) and runs each for a while, starting from
# its seed corpus in fuzz/corpus/<target>/. Anything found stops the run with the fuzzer's report;
# the input that triggered it is kept as build-fuzz/findings/<target>/crash-*.
#   scripts/fuzz.sh          each target for 30 seconds (as CI runs it)
#   scripts/fuzz.sh 600      each target for ten minutes
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
seconds="${1:-30}"
source "$root/scripts/packages.sh"
corvane_install_missing clang libclang-rt-14-dev

build="${CORVANE_FUZZ_BUILD_DIR:-$root/build-fuzz}"
cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_COMPILE_WARNING_AS_ERROR="${CORVANE_WARNINGS_AS_ERRORS:-OFF}" -DCORVANE_FUZZ=ON \
    -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ >/dev/null
cmake --build "$build" --parallel "$(nproc)" --target fuzz_targets

export ASAN_OPTIONS=detect_leaks=1:halt_on_error=1
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
status=0
for target in codePageFuzz iniFileFuzz namesImportFuzz replyDispatchFuzz snppSessionFuzz; do
    corpus="$build/corpus/$target"     # grows as the fuzzer learns; the seeds stay as they are
    findings="$build/findings/$target"
    mkdir -p "$corpus" "$findings"
    echo "fuzz: $target for $seconds s"
    set +e
    (cd "$findings" && "$build/bin/$target" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 \
        -print_final_stats=1 "$corpus" "$root/fuzz/corpus/$target" >"$findings/last-run.log" 2>&1)
    result=$?
    set -e
    grep -E "^(Done|stat::number_of_executed_units|invariant broken|SUMMARY)" "$findings/last-run.log" || true
    if [ $result -ne 0 ]; then
        echo "fuzz: $target found a failing input (see $findings):" >&2
        tail -n 40 "$findings/last-run.log" >&2
        status=1
    fi
done
[ $status -eq 0 ] && echo "fuzz: no findings"
exit $status
