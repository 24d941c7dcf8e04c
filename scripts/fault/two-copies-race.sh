#!/usr/bin/env bash
# Two copies of the program start at the same moment on one data folder, each with its own temporary and
# runtime folder (as two sessions or a sudo -u would), and each adds an account and saves. Repeated for a
# while; a third start after every round checks the folder. Reports the rounds, the recovery questions
# (must be 0) and the false "saved" (a copy said saved but its account is not on disk: must be 0).
#   scripts/fault/two-copies-race.sh [SECONDS] [ACCOUNTS]     (default 60 s on 2000 accounts)
# Needs the build's tools/coffernote_copy (cmake --build build --target coffernote_copy).
set -euo pipefail
here="$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)"
tool="${COFFERNOTE_COPY_TOOL:-${COFFERNOTE_BUILD_DIR:-$here/build}/tools/coffernote_copy}"
seconds="${1:-60}"
accounts="${2:-2000}"
[[ -x "$tool" ]] || { echo "not built: $tool" >&2; exit 2; }

work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
data="$work/data"
mkdir -m 700 "$data"
for c in a b; do
    mkdir -p "$work/$c/tmp"
    mkdir -m 700 "$work/$c/run"
done
export XDG_RUNTIME_DIR="$work/a/run" # for the seed and the checks
"$tool" seed "$data" "$accounts" > "$work/seed.out"
grep -qx saved "$work/seed.out" || { cat "$work/seed.out"; exit 2; }

count() { { grep -c "$1" "${@:2}" 2>/dev/null || true; } | awk -F: '{ n += $NF } END { print n + 0 }'; }

rounds=0 questions=0 false_saved=0 saved=0 refused=0 both_saved=0
end=$((SECONDS + seconds))
while ((SECONDS < end)); do
    rounds=$((rounds + 1))
    # Every other round the second copy starts up to 0.2 s later: while the first loads, saves or ends.
    delay=0
    ((rounds % 2 == 0)) && delay="0.$(printf %03d $((RANDOM % 200)))"
    for c in a b; do
        [[ $c == b ]] && sleep "$delay"
        TMPDIR="$work/$c/tmp" XDG_RUNTIME_DIR="$work/$c/run" \
            "$tool" save "$data" "round $rounds $c" > "$work/$c.out" 2>&1 &
    done
    wait || true
    "$tool" check "$data" > "$work/check.out" 2>&1 || true
    questions=$((questions + $(count '^question' "$work/a.out" "$work/b.out" "$work/check.out")))
    refused=$((refused + $(count 'already running' "$work/a.out" "$work/b.out")))
    n=0
    for c in a b; do
        if grep -qx saved "$work/$c.out"; then
            n=$((n + 1))
            grep -qx "account round $rounds $c" "$work/check.out" || false_saved=$((false_saved + 1))
        fi
    done
    saved=$((saved + n))
    ((n == 2)) && both_saved=$((both_saved + 1))
done

echo "rounds: $rounds"
echo "copies refused (already running): $refused"
echo "saves reported: $saved (rounds where both copies saved one after the other: $both_saved)"
echo "recovery questions: $questions"
echo "false saved: $false_saved"
echo "accounts on disk at the end: $(count '^account ' "$work/check.out")"
((questions == 0 && false_saved == 0))
