#!/usr/bin/env bash
# The checks that take longer than the suite: the whole suite again under AddressSanitizer and
# UndefinedBehaviorSanitizer (in build-sanitize/, or $COFFERNOTE_SANITIZE_BUILD_DIR), then the fault scripts
# against the normal build: a kill at every system call of a save and of an export, and a full disk with odd
# files planted under the data files' names. Run scripts/test.sh first (it builds build/). CI runs both.
set -euo pipefail
here="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
build="${COFFERNOTE_BUILD_DIR:-$here/build}"
sanitized="${COFFERNOTE_SANITIZE_BUILD_DIR:-$here/build-sanitize}"
jobs="${COFFERNOTE_JOBS:-$(nproc)}"

COFFERNOTE_BUILD_DIR="$sanitized" bash "$here/scripts/build.sh" -DCOFFERNOTE_SANITIZE=ON -DCOFFERNOTE_BENCH=OFF \
    -DCMAKE_CXX_FLAGS_RELWITHDEBINFO="-O1 -g1" # line tables for the reports, and a quicker build
(
    cd "$sanitized"
    # A sanitizer finding ends the test that made it; leaks of Qt's and the font libraries' own caches are
    # not ours and are suppressed by name.
    export ASAN_OPTIONS="detect_leaks=1:detect_stack_use_after_return=1"
    export LSAN_OPTIONS="suppressions=$here/tests/support/lsan.supp:print_suppressions=0"
    export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1"
    QT_QPA_PLATFORM=offscreen bash "$here/scripts/ctest-checked.sh" -j "$jobs"
)

[ -x "$build/tests/savetool" ] && [ -x "$build/tools/coffernote_copy" ] ||
    cmake --build "$build" --target savetool coffernote_copy
failed=0
bash "$here/scripts/fault/kill-during-save.sh" "$build" "${COFFERNOTE_FAULT_ACCOUNTS:-50}" || failed=1
# The same with an encrypted account file (the save tool derives its key with the quickest settings).
bash "$here/scripts/fault/kill-during-save.sh" "$build" "${COFFERNOTE_FAULT_ACCOUNTS:-50}" protected || failed=1
bash "$here/scripts/fault/full-disk-and-planted-files.sh" "$build" "${COFFERNOTE_FAULT_ACCOUNTS:-50}" || failed=1
# Two computers on one data folder kept in step by a real Syncthing (on 127.0.0.1 only).
COFFERNOTE_BUILD_DIR="$build" bash "$here/scripts/fault/syncthing-two-computers.sh" --strict || failed=1
exit $failed
