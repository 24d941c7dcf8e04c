#!/usr/bin/env bash
# A save on a disk that fills up, and loads and saves with odd things planted under the data files' names.
#
#   scripts/fault/full-disk-and-planted-files.sh [build-folder] [accounts]
#
# The full disk is a small tmpfs mounted for the run, so this needs root. Prints a summary per part; exits
# non-zero on any loss, question, hang or deleted plant.
set -uo pipefail
build=${1:-build}
accounts=${2:-200}
tool="$build/tests/savetool"
[ -x "$tool" ] || { echo "build the savetool target first: cmake --build $build --target savetool" >&2; exit 2; }
[ "$(id -u)" = 0 ] || { echo "needs root, to mount a small tmpfs" >&2; exit 2; }

work=$(mktemp -d)
disk="$work/disk"
mkdir -p "$disk"
mount -t tmpfs -o size=512k tmpfs "$disk" || exit 2
trap 'umount "$disk"; rm -rf "$work"' EXIT
"$tool" create "$work/template" "$accounts" >/dev/null || exit 1
fileBytes=$(stat -c %s "$work/template/settings.dat")
failures=0

# 1. Full disk: every amount of free space from none to more than a save needs, in 4 KB steps.
tries=0 failed=0 saved=0
for ((free = 0; free <= fileBytes + 16384; free += 4096)); do
    rm -rf "${disk:?}"/* && cp -a "$work/template" "$disk/f"
    avail=$(($(stat -f -c '%a*%S' "$disk")))
    [ $avail -gt $free ] && head -c $((avail - free)) /dev/zero >"$disk/filler" 2>/dev/null
    tries=$((tries + 1))
    if out=$("$tool" save "$disk/f" "$accounts" 1); then saved=$((saved + 1)); else failed=$((failed + 1)); fi
    first=$("$tool" load "$disk/f")
    case "$first" in
    "result=Loaded accounts=$accounts generation="[01]" questions=0 messages=0") ;;
    *) echo "  free $free: $out | $first" && failures=$((failures + 1)) ;;
    esac
    ls "$disk/f" | grep -q -e settings2.dat -e config2.dat && echo "  free $free: temporary file left" &&
        failures=$((failures + 1))
    rm -f "$disk/filler"
    "$tool" save "$disk/f" "$accounts" 2 >/dev/null || { echo "  free $free: no save once space is back"; failures=$((failures + 1)); }
done
echo "full disk: $tries saves with 0 to $((fileBytes + 16384)) bytes free: $failed failed cleanly, $saved saved, $failures bad"

# 2. Planted under each data file's name: the load ends with a message naming it, at once; nothing is deleted.
plant() { # kind path
    case $1 in
    pipe) mkfifo "$2" ;;
    folder) mkdir "$2" ;;
    "link to a pipe") mkfifo "$2.fifo" && ln -s "$2.fifo" "$2" ;;
    "link to a device") ln -s /dev/zero "$2" ;;
    esac
}
tries=0 bad=0
for name in settings.dat settings2.dat config.dat config2.dat; do
    for kind in pipe folder "link to a pipe" "link to a device"; do
        rm -rf "$work/p" && cp -a "$work/template" "$work/p"
        rm -f "$work/p/$name" && plant "$kind" "$work/p/$name"
        tries=$((tries + 1))
        load=$(timeout 10 "$tool" load "$work/p"; echo "rc=$?")
        save=$(timeout 10 "$tool" save "$work/p" "$accounts" 1; echo "rc=$?")
        ok=1
        grep -q "^MESSAGE (style 48): " <<<"$load" || ok=0
        grep -qF "$work/p/$name" <<<"$load" || ok=0
        grep -q "result=Ended accounts=0 generation=- questions=0" <<<"$load" || ok=0
        grep -q "^SAVE FAILED" <<<"$save" || ok=0
        [ -e "$work/p/$name" ] || [ -L "$work/p/$name" ] || ok=0
        if [ $ok = 0 ]; then
            bad=$((bad + 1))
            echo "  $name as a $kind: $load | $save"
        fi
    done
done
# A link to a regular file is read as that file; a save replaces the link, never what it points to.
rm -rf "$work/p" && cp -a "$work/template" "$work/p"
mv "$work/p/settings.dat" "$work/elsewhere.dat" && ln -s "$work/elsewhere.dat" "$work/p/settings.dat"
before=$(sha256sum <"$work/elsewhere.dat")
tries=$((tries + 1))
load=$("$tool" load "$work/p")
"$tool" save "$work/p" "$accounts" 1 >/dev/null
if [ "$load" != "result=Loaded accounts=$accounts generation=0 questions=0 messages=0" ] ||
    [ -L "$work/p/settings.dat" ] || [ "$(sha256sum <"$work/elsewhere.dat")" != "$before" ]; then
    bad=$((bad + 1))
    echo "  settings.dat as a link to a file: $load"
fi
echo "planted files: $tries cases, $bad bad"
failures=$((failures + bad))
[ $failures -eq 0 ]
