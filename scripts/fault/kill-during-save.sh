#!/usr/bin/env bash
# Kills a save at every step and checks that the next load finds one whole table without a question, and that
# every earlier version kept opens.
#
#   scripts/fault/kill-during-save.sh [build-folder] [accounts] [default|protected|login-change]
#
# protected: the account file is encrypted with a login, and every save writes under the same key and salt.
# login-change: generation 0 is encrypted with one login, the killed save changes it to another (a new key and
# salt); every load must find a whole table that opens with the login it was written for (the old table with the
# old login, the new with the new), never a file that opens with neither.
#
# For each system call class (and for every system call of the save, "all"), the save of generation 1 over a
# folder holding generation 0 is run under strace, which sends SIGKILL on entry to the n-th call of that class,
# for every n the save makes. Killing on entry to call n+1 is killing right after call n, so "all" covers the
# moments before and after each write, fsync, rename and unlink. Each killed save is followed by two loads
# (the first may finish the save; the second must agree) and one more save that must go through.
# Then an export, to a new file and over an older one, is killed at every system call in the same way: the
# chosen name must hold the old export, the whole new one or nothing, no other file may stand in the folder
# (the export is clear text: a hidden copy would be every password left readable), and the next export must
# leave only the new file.
# Needs strace (apt-get install strace). Prints a summary line per class; exits non-zero on any loss.
set -uo pipefail
build=${1:-build}
accounts=${2:-200}
mode=${3:-default}
old_login= new_login= suffix0= suffix1=
case "$mode" in
default) ;;
protected) old_login="owner,first secret,2468" suffix0=" login=old" suffix1=" login=old" ;;
login-change) old_login="owner,first secret,2468" new_login="owner,second secret,13579" suffix0=" login=old" \
    suffix1=" login=new" ;;
*) echo "mode: default, protected or login-change" >&2; exit 2 ;;
esac
# The loads and later saves know both logins; the template is written with the old one alone.
with_logins() { COFFERNOTE_SAVETOOL_LOGIN="$old_login" COFFERNOTE_SAVETOOL_NEW_LOGIN="$new_login" "$@"; }
[ -n "$old_login" ] && export COFFERNOTE_SAVETOOL_LOGIN="$old_login"
tool="$build/tests/savetool"
[ -x "$tool" ] || { echo "build the savetool target first: cmake --build $build --target savetool" >&2; exit 2; }
command -v strace >/dev/null || { echo "strace is needed (apt-get install strace)" >&2; exit 2; }

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
"$tool" create "$work/template" "$accounts" >/dev/null || exit 1

# One killed save of generation 1 over a fresh copy of generation 0, then the checks. Prints "ok <table found>
# <exit status of the save>", or what went wrong.
try() {
    local point=$1 dir="$work/run"
    rm -rf "$dir" && cp -a "$work/template" "$dir"
    local rc
    rc=$( (with_logins strace -f -qq -o /dev/null -e trace="${point%%:*}" -e inject="$point" \
        "$tool" save "$dir" "$accounts" 1 >/dev/null 2>&1); echo $?) 2>/dev/null
    local first second table
    first=$(with_logins "$tool" load "$dir")
    second=$(with_logins "$tool" load "$dir")
    case "$first" in
    "result=Loaded accounts=$accounts generation=0 questions=0 messages=0$suffix0") table=old ;;
    "result=Loaded accounts=$accounts generation=1 questions=0 messages=0$suffix1") table=new ;;
    *) echo "bad load: $first"; return ;;
    esac
    [ "$first" = "$second" ] || { echo "second load differs: $second"; return; }
    ls "$dir" | grep -q -e settings2.dat -e config2.dat && { echo "temporary file left: $(ls "$dir")"; return; }
    # Every version kept opens with the key the account file opened with: none lost, none left readable without
    # a login brought in; the old table, once replaced, is among them.
    local versions
    versions=$(with_logins "$tool" versions "$dir")
    case "$versions" in
    "versions opened="*" other-login=0 unreadable=0") ;;
    *) echo "versions: $versions"; return ;;
    esac
    [ "$table" = old ] || [ "$versions" != "versions opened=0 other-login=0 unreadable=0" ] ||
        { echo "the old table was not kept as a version"; return; }
    ls "$dir/versions" 2>/dev/null | grep -q '\.sealed$' && { echo "sealed version left: $(ls "$dir/versions")"; return; }
    with_logins "$tool" save "$dir" "$accounts" 2 >/dev/null || { echo "next save failed"; return; }
    echo "ok $table $rc"
}

# The save's system calls in order, one line each: "name occurrence" (the n-th call of that name).
rm -rf "$work/count" && cp -a "$work/template" "$work/count"
with_logins strace -f -qq -o "$work/trace" "$tool" save "$work/count" "$accounts" 1 >/dev/null
sed -E 's/^[0-9]+ +//' "$work/trace" | grep -E '^[a-z_0-9]+\(' | sed -E 's/\(.*//' |
    awk '{ n[$1]++; print $1, n[$1] }' >"$work/steps"

failures=0
report() { # label steps...
    local label=$1 lost=0 killed=0 old=0 new=0
    shift
    for step in "$@"; do
        result=$(try "$step")
        case "$result" in
        "ok old "*) old=$((old + 1)) ;;
        "ok new "*) new=$((new + 1)) ;;
        *) lost=$((lost + 1)) && echo "  $step: $result" ;;
        esac
        [ "${result##* }" = 137 ] && killed=$((killed + 1))
    done
    echo "$label: $# kill points, $killed saves killed, $(($# - lost)) loads whole and quiet" \
        "(old table $old, new table $new), $lost bad"
    failures=$((failures + lost))
}

# Every call of the classes the save's steps are made of, killed on entry.
for class in openat write fsync close rename unlink; do
    count=$(grep -c "^$class " "$work/steps")
    steps=()
    for ((n = 1; n <= count; n++)); do steps+=("$class:signal=SIGKILL:when=$n"); done
    report "$class" "${steps[@]}"
done
# Every system call of the run, in order: killing on entry to each one is killing right after the one before.
steps=()
while read -r name n; do steps+=("$name:signal=SIGKILL:when=$n"); done <"$work/steps"
report "every call in order" "${steps[@]}"

# The export (the same in every mode, so run once), to a new file and over an existing one: "ok <what the chosen
# file held>", or what went wrong. The export is every password in clear text: after a kill at any point the
# folder holds the old export, the whole new one or (over an old one, killed between removing it and linking
# in the new one) none, and no other file, whole or partial, under any name.
if [ "$mode" = default ]; then
    "$tool" export "$work/new.csv" "$accounts" 1 >/dev/null || exit 1
    "$tool" export "$work/old.csv" "$accounts" 0 >/dev/null || exit 1
    # Lays out the folder for a target: an old export under the chosen name, or nothing.
    lay_out() { # folder existing|new
        rm -rf "$1" && mkdir "$1"
        [ "$2" = new ] || cp -p "$work/old.csv" "$1/accounts.csv"
    }
    try_export() { # existing|new point
        local target=$1 point=$2 dir="$work/export"
        lay_out "$dir" "$target"
        (strace -f -qq -o /dev/null -e trace="${point%%:*}" -e inject="$point" \
            "$tool" export "$dir/accounts.csv" "$accounts" 1 >/dev/null 2>&1) 2>/dev/null
        local held left
        if [ ! -e "$dir/accounts.csv" ]; then held=none
        elif [ "$target" = existing ] && cmp -s "$dir/accounts.csv" "$work/old.csv"; then held=old
        elif cmp -s "$dir/accounts.csv" "$work/new.csv"; then held=new
        else echo "chosen file neither old nor new: $(ls -la "$dir")"; return; fi
        left=$(find "$dir" -mindepth 1 ! -name accounts.csv)
        [ -z "$left" ] || { echo "readable leftover: $left"; return; }
        "$tool" export "$dir/accounts.csv" "$accounts" 1 >/dev/null || { echo "next export failed"; return; }
        [ "$(ls -A "$dir")" = accounts.csv ] || { echo "next export left: $(ls -A "$dir")"; return; }
        cmp -s "$dir/accounts.csv" "$work/new.csv" || { echo "next export not whole"; return; }
        echo "ok $held"
    }
    for target in new existing; do
        lay_out "$work/count-export" "$target"
        strace -f -qq -o "$work/export-trace" "$tool" export "$work/count-export/accounts.csv" "$accounts" 1 \
            >/dev/null
        sed -E 's/^[0-9]+ +//' "$work/export-trace" | grep -E '^[a-z_0-9]+\(' | sed -E 's/\(.*//' |
            awk '{ n[$1]++; print $1, n[$1] }' >"$work/export-steps"
        bad=0 old=0 new=0 none=0
        while read -r name n; do
            result=$(try_export "$target" "$name:signal=SIGKILL:when=$n")
            case "$result" in
            "ok old") old=$((old + 1)) ;;
            "ok new") new=$((new + 1)) ;;
            "ok none") none=$((none + 1)) ;;
            *) bad=$((bad + 1)) && echo "  $name $n: $result" ;;
            esac
        done <"$work/export-steps"
        echo "export to $target file, every call in order: $(wc -l <"$work/export-steps") kill points," \
            "chosen file old $old, new $new, none $none; $bad bad (a file left beside it, partial, or no next export)"
        failures=$((failures + bad))
    done
fi
echo "mode $mode: $failures bad"
[ $failures -eq 0 ]
