#!/usr/bin/env bash
# Builds the libFuzzer targets with clang into build-fuzz/ (or $COFFERNOTE_FUZZ_BUILD_DIR) and runs each for the
# given number of seconds (default 60), all at once at the lowest priority. New inputs go to <build>/corpus/,
# crashes to <build>/artifacts/; the seeds in fuzz/corpus/ are only read.
set -euo pipefail
here="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
build="${COFFERNOTE_FUZZ_BUILD_DIR:-$here/build-fuzz}"
seconds="${1:-60}"
targets=(base64 options_file inner_layer account_file import csv)

COFFERNOTE_FUZZ_DEPS=1 bash "$here/scripts/install-deps.sh"
launcher=()
command -v ccache >/dev/null && launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
cmake -S "$here" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_CXX_COMPILER=clang++ \
    -DCOFFERNOTE_FUZZ=ON -DCOFFERNOTE_TESTS=OFF -DCOFFERNOTE_BENCH=OFF "${launcher[@]}" >/dev/null
cmake --build "$build" -j "${COFFERNOTE_JOBS:-$(nproc)}" --target "${targets[@]/#/fuzz_}"

# The account-file target writes a program folder per input: keep it in memory where possible.
scratch="$(mktemp -d "$( [ -d /dev/shm ] && echo /dev/shm || echo "${TMPDIR:-/tmp}" )/coffernote-fuzz.XXXXXX")"
trap 'rm -rf "$scratch"' EXIT
pids=()
for t in "${targets[@]}"; do
    mkdir -p "$build/corpus/$t" "$build/artifacts/$t"
    TMPDIR="$scratch" nice -n 19 "$build/fuzz/fuzz_$t" -max_total_time="$seconds" -rss_limit_mb=2048 -timeout=10 \
        -artifact_prefix="$build/artifacts/$t/" "$build/corpus/$t" "$here/fuzz/corpus/$t" \
        >"$build/fuzz_$t.log" 2>&1 &
    pids+=($!)
done
status=0
for i in "${!targets[@]}"; do
    if wait "${pids[$i]}"; then result=ok; else result="FAILED (see $build/artifacts/${targets[$i]}/)"; status=1; fi
    echo "${targets[$i]}: $result; $(grep -E '^#[0-9]+' "$build/fuzz_${targets[$i]}.log" | tail -n 1)"
done
exit $status
