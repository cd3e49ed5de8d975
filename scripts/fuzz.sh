#!/usr/bin/env bash
# Builds the libFuzzer targets (fuzz/*.cpp) with clang in their own build folder and runs each for a
# short while on its seed corpus (fuzz/corpus/<target>/). Fails when a target finds a crash, a
# sanitizer error, a leak or an input that hangs, or when it cannot be built or has no seeds.
#   scripts/fuzz.sh [seconds per target]      (default 20, or $KUVERTINO_FUZZ_SECONDS)
set -euo pipefail
cd "$(dirname "$0")/.."
seconds="${1:-${KUVERTINO_FUZZ_SECONDS:-20}}"
dir=build-fuzz
jobs=$(nproc)

targets=()
for f in fuzz/*.cpp; do
    targets+=("$(basename "$f" .cpp)")
done

echo "=== fuzz build (clang, ${#targets[@]} targets)"
flags=(-DCMAKE_BUILD_TYPE=Debug -DKUVERTINO_FUZZ=ON)
command -v ccache >/dev/null 2>&1 && flags+=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
CXX=clang++ cmake -S . -B "$dir" -G Ninja "${flags[@]}" >/dev/null
# Only the fuzzers: the tests are built and run by the two other builds.
cmake --build "$dir" -j "$jobs" --target "${targets[@]}"

echo "=== fuzzing, ${seconds} s per target"
export QT_QPA_PLATFORM=offscreen LC_ALL=C.UTF-8
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
export LSAN_OPTIONS="suppressions=$PWD/fuzz/lsan.supp:print_suppressions=0"
status=0
for t in "${targets[@]}"; do
    seeds=fuzz/corpus/$t
    if [ -z "$(ls -A "$seeds" 2>/dev/null)" ]; then
        echo "$t: no seed corpus in $seeds" >&2
        status=1
        continue
    fi
    # New inputs go to a scratch folder, so the seed corpus in the repository stays as it is.
    work=$dir/fuzz-work/$t
    rm -rf "$work"
    mkdir -p "$work" "$dir/fuzz-artifacts"
    log=$dir/fuzz-work/$t.log
    if "$dir/$t" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 -print_final_stats=1 \
        -artifact_prefix="$dir/fuzz-artifacts/$t-" "$work" "$seeds" >"$log" 2>&1; then
        echo "$t: $(grep -E '^stat::number_of_executed_units' "$log" | awk '{print $2}') runs, no finding"
    else
        echo "$t: FAILED (input kept under $dir/fuzz-artifacts/); the end of its log:" >&2
        tail -n 60 "$log" >&2
        status=1
    fi
done
exit $status
