#!/usr/bin/env bash
# Runs the tests of binary $1 that match the GoogleTest filter $2 and fails unless they all ran and passed.
# As root, where permissions do not bind and those tests would only skip, they run as an unprivileged system
# user from a copy of the binary in a fresh folder that user can reach (the build folder may sit under /root).
set -euo pipefail
binary="$1"
filter="$2"
user="${COFFERNOTE_TEST_USER:-coffernote-test}"

work="$(mktemp -d /tmp/coffernote-permissions.XXXXXX)"
trap 'rm -rf "$work"' EXIT
mkdir "$work/tmp"
run=("$binary")
if [ "$(id -u)" -eq 0 ]; then
    if ! id -u "$user" >/dev/null 2>&1; then
        # Another run may create it at the same moment; only a user that still does not exist is a failure.
        useradd --system --no-create-home --shell /usr/sbin/nologin "$user" 2>/dev/null || id -u "$user" >/dev/null
    fi
    chmod 0755 "$work"
    install -m 0755 "$binary" "$work/tests"
    chown "$user:" "$work/tmp"
    run=(setpriv --reuid="$user" --regid="$(id -g "$user")" --clear-groups "$work/tests")
fi

set +e
(cd "$work/tmp" && TMPDIR="$work/tmp" HOME="$work/tmp" "${run[@]}" --gtest_filter="$filter") | tee "$work/out.txt"
status=${PIPESTATUS[0]}
set -e
[ "$status" -eq 0 ] || exit "$status"
if ! grep -Eq '^\[==========\] [1-9][0-9]* tests? from .* ran\.' "$work/out.txt"; then
    echo "No test matched $filter." >&2
    exit 1
fi
if grep -q '^\[  SKIPPED \]' "$work/out.txt"; then
    echo "Tests were skipped although they ran as $(id -un) (uid $(id -u)) or as $user." >&2
    exit 1
fi
