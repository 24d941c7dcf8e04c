#!/usr/bin/env bash
# Two copies of the program start at the same moment on one data folder, each with its own temporary and
# runtime folder (as two sessions or a sudo -u would), and each adds an account and saves. Repeated for a
# while in each mode; a third start after every round checks the folder. Reports per mode the rounds, the
# recovery questions (must be 0) and the false "saved" (a copy said saved but its account is not on disk: must
# be 0).
#   scripts/fault/two-copies-race.sh [SECONDS] [ACCOUNTS] [MODE...]    (default 60 s per mode on 2000 accounts)
# Modes:
#   plain    nothing in the way: one copy runs, the other is refused or starts after it
#   file     a .coffernote.lock file as older versions kept (and a synchronised folder carries from another
#            computer) lies in the folder: it means nothing, the copies behave as in plain and leave it alone
#   folder   a folder under that name: likewise
#   symlink  a dangling symbolic link under that name: likewise
#   mixed    the first copy starts while the folder cannot be written (it still locks the folder itself), the
#            folder is made writable, the second copy starts, then both save: the second is refused while the
#            first runs (it may start once the first has ended)
# As root (where folder permissions do not bind) it runs itself again as an unprivileged system user.
# Needs the build's tools/coffernote_copy (cmake --build build --target coffernote_copy).
set -euo pipefail
here="$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)"
tool="${COFFERNOTE_COPY_TOOL:-${COFFERNOTE_BUILD_DIR:-$here/build}/tools/coffernote_copy}"
seconds="${1:-60}"
accounts="${2:-2000}"
modes=("${@:3}")
((${#modes[@]})) || modes=(plain file folder symlink mixed)
[[ -x "$tool" ]] || { echo "not built: $tool" >&2; exit 2; }

if [[ "$(id -u)" -eq 0 ]]; then
    user="${COFFERNOTE_TEST_USER:-coffernote-test}"
    id -u "$user" >/dev/null 2>&1 ||
        useradd --system --no-create-home --shell /usr/sbin/nologin "$user" 2>/dev/null || id -u "$user" >/dev/null
    home="$(mktemp -d /tmp/coffernote-race.XXXXXX)"
    trap 'rm -rf "$home"' EXIT
    install -m 0755 "$tool" "$home/coffernote_copy"
    install -m 0755 "${BASH_SOURCE[0]}" "$home/race.sh"
    mkdir "$home/tmp" && chown "$user:" "$home/tmp"
    chmod 0755 "$home"
    set +e
    env -i PATH="$PATH" HOME="$home/tmp" TMPDIR="$home/tmp" COFFERNOTE_COPY_TOOL="$home/coffernote_copy" \
        setpriv --reuid="$user" --regid="$(id -g "$user")" --clear-groups bash "$home/race.sh" "$seconds" "$accounts" "${modes[@]}"
    exit $?
fi

work="$(mktemp -d)"
trap 'chmod -R u+rwx "$work" 2>/dev/null; rm -rf "$work"' EXIT
for c in a b; do
    mkdir -p "$work/$c/tmp"
    mkdir -m 700 "$work/$c/run"
done
export XDG_RUNTIME_DIR="$work/a/run" # for the seed and the checks

count() { { grep -c "$1" "${@:2}" 2>/dev/null || true; } | awk -F: '{ n += $NF } END { print n + 0 }'; }

plant() { # mode
    case $1 in
    file) printf '4242\n/nowhere\n' >"$data/.coffernote.lock" ;;
    folder) mkdir "$data/.coffernote.lock" ;;
    symlink) ln -s "$work/nowhere" "$data/.coffernote.lock" ;;
    esac
}

failed=0
for mode in "${modes[@]}"; do
    data="$work/data-$mode"
    mkdir -m 700 "$data"
    "$tool" seed "$data" "$accounts" > "$work/seed.out"
    grep -qx saved "$work/seed.out" || { cat "$work/seed.out"; exit 2; }
    plant "$mode"

    rounds=0 questions=0 false_saved=0 saved=0 refused=0 lock_refused=0 both_saved=0 read_only=0
    left_alone=1
    expected=$accounts
    end=$((SECONDS + seconds))
    while ((SECONDS < end)); do
        rounds=$((rounds + 1))
        # Every other round the second copy starts up to 0.2 s later: while the first loads, saves or ends.
        delay=0
        ((rounds % 2 == 0)) && delay="0.$(printf %03d $((RANDOM % 200)))"
        rm -f "$work/go"
        wait_for=""
        if [[ $mode == mixed ]]; then
            chmod 500 "$data"
            wait_for="$work/go"
        fi
        for c in a b; do
            if [[ $c == b ]]; then
                if [[ $mode == mixed ]]; then
                    sleep 0.3 # the first copy has taken its lock by now
                    chmod 700 "$data"
                else
                    sleep "$delay"
                fi
            fi
            TMPDIR="$work/$c/tmp" XDG_RUNTIME_DIR="$work/$c/run" COFFERNOTE_COPY_WAIT_FOR="$wait_for" \
                "$tool" save "$data" "round $rounds $c" > "$work/$c.out" 2>&1 &
            [[ $c == a ]] && wait_for="" # the second copy saves at once
        done
        if [[ $mode == mixed ]]; then
            sleep "$delay"
            touch "$work/go"
        fi
        wait || true
        "$tool" check "$data" > "$work/check.out" 2>&1 || true
        case $mode in
        file | folder | symlink) [[ -e "$data/.coffernote.lock" || -L "$data/.coffernote.lock" ]] || left_alone=0 ;;
        esac
        questions=$((questions + $(count '^question' "$work/a.out" "$work/b.out" "$work/check.out")))
        refused=$((refused + $(count 'already running' "$work/a.out" "$work/b.out")))
        lock_refused=$((lock_refused + $(count 'cannot start' "$work/a.out" "$work/b.out")))
        read_only=$((read_only + $(count 'cannot write to its data folder' "$work/a.out")))
        n=0
        for c in a b; do
            if grep -qx saved "$work/$c.out"; then
                n=$((n + 1))
                grep -qx "account round $rounds $c" "$work/check.out" || false_saved=$((false_saved + 1))
            fi
        done
        saved=$((saved + n))
        ((n == 2)) && both_saved=$((both_saved + 1))
        expected=$((expected + n))
    done
    on_disk=$(count '^account ' "$work/check.out")

    echo "mode $mode:"
    echo "  rounds: $rounds"
    echo "  copies refused (already running): $refused"
    echo "  copies refused otherwise (cannot start): $lock_refused"
    case $mode in file | folder | symlink) echo "  the old .coffernote.lock left alone: $left_alone (1 = yes)" ;; esac
    [[ $mode == mixed ]] && echo "  first copies started while the folder could not be written: $read_only"
    echo "  saves reported: $saved (rounds where both copies saved one after the other: $both_saved)"
    echo "  recovery questions: $questions"
    echo "  false saved: $false_saved"
    echo "  accounts on disk at the end: $on_disk (expected $expected)"
    ((questions == 0 && false_saved == 0 && on_disk == expected && lock_refused == 0 && left_alone)) ||
        failed=1
done
exit $failed
