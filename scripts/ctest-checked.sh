#!/usr/bin/env bash
# Runs ctest in the current build folder with the given arguments, a time limit per test (a hung test fails
# instead of stalling the run), and fails when a test skipped that runs nowhere else: only the suites named
# "...Permissions" may skip, as root, because PermissionTestsAsUser runs them again as an unprivileged user.
set -uo pipefail
log="$(mktemp)"
trap 'rm -f "$log"' EXIT
ctest --output-on-failure --timeout 300 "$@" 2>&1 | tee "$log"
status=${PIPESTATUS[0]}
skipped="$(sed -n '/The following tests did not run:/,/^$/p' "$log" | grep -E '\((Skipped|Disabled)\)' |
    grep -Ev 'Permissions\.' || true)"
if [ -n "$skipped" ]; then
    echo "These tests skipped and run nowhere else:" >&2
    echo "$skipped" >&2
    status=1
fi
exit "$status"
