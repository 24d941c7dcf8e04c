#!/usr/bin/env bash
# Counts the copies of an account's secrets that the running program leaves in its memory. It starts the real
# program under Xvfb on a fresh program folder, shows the account, changes its password (typed), deletes the
# account and locks the window, from the keyboard as a user would, and reads the process's memory twice: once the
# change is saved (the account still shown: its user ID and notes are in the table, the window's model and the
# widgets, the old password nowhere), and once locked (nothing of the account anywhere). It counts the old and the
# new password, the user ID and the notes, as UTF-8 and as UTF-16, by memory region.
#
#   sudo bash scripts/memory-scan.sh [build] [runs]     # default build/, 3 runs
#   sudo COFFERNOTE=/path/to/coffernote bash scripts/memory-scan.sh    # another build of the program
#
# Root is needed: the program is not dumpable, so only root may read its memory. It installs xvfb, xauth and
# xdotool when they are missing.
set -euo pipefail

root=$(cd "$(dirname "$0")/.." && pwd)
source "$root/scripts/desktop.sh"
build=$(cd "${1:-$root/build}" && pwd)
runs=${2:-3}
program=${COFFERNOTE:-$build/src/coffernote}

if [ "${3:-}" != "--inside" ]; then
    if [ "$(id -u)" -ne 0 ]; then
        echo "memory-scan.sh: run it as root (the program's memory is closed to everybody else)" >&2
        exit 2
    fi
    install_desktop_tools
    cmake --build "$build" --target coffernote memory_scan
    exec xvfb-run -a -s "-screen 0 1280x1024x24" env COFFERNOTE="$program" bash "$0" "$build" "$runs" --inside
fi

texts=(PassScan-Old-6Hd2Xw PassScan-New-3Jc8Vy UserScan-9Tb3Lm7p NotesScan-4Kq8Zr2w)
begin_work

# Answers the message or question open now with Enter (OK, or Yes, the default), then gives the main window back
# the keyboard (no window manager does it here).
answer() {
    sleep 0.5
    window_with_title "Coffernote" >/dev/null
    xdotool key Return
    sleep 0.5
    xdotool windowfocus --sync "$main"
}

for run in $(seq "$runs"); do
    folder=$work/run$run
    mkdir -p -m 700 "$folder" # the program folder keeps the data only when it is the user's alone
    cp "$program" "$folder/coffernote"
    "$build/tools/memory_scan" data "$folder"
    (cd "$folder" && exec ./coffernote >/dev/null 2>&1) &
    running=$!
    main=$(window_with_title "  Coffernote")

    # Show the account (its website is empty: nothing opens).
    xdotool type --delay 50 "Scanned"
    xdotool key Return
    sleep 0.5
    # A new password, from the combo box over the website, notes and user ID boxes; then Tab over the four copy
    # buttons and Add (GO is off after typing) to Change.
    xdotool key --delay 80 Tab Tab Tab Tab ctrl+a
    xdotool type --delay 50 "${texts[1]}"
    xdotool key --delay 80 Tab Tab Tab Tab Tab Tab Return
    answer # "Settings have been saved successfully."
    echo "run $run, the change saved:"
    "$build/tools/memory_scan" count "$running" "${texts[@]}" | sed 's/^/  /'
    # The account again, from the combo box (a click puts the keyboard there), and Tab on to Delete: the five
    # boxes, the four copy buttons and GO.
    eval "$(xdotool getwindowgeometry --shell "$main")"
    xdotool mousemove --window "$main" $((WIDTH / 2)) $((HEIGHT * 225 / 1000)) click 1
    xdotool key Return
    sleep 0.5
    xdotool key --delay 80 Tab Tab Tab Tab Tab Tab Tab Tab Tab Tab Return
    answer # "Delete record?": Yes
    answer # "Settings have been saved successfully."
    xdotool key ctrl+l
    window_with_title " Locked" >/dev/null
    sleep 1

    echo "run $run, deleted and locked:"
    "$build/tools/memory_scan" count "$running" "${texts[@]}" | sed 's/^/  /'
    stop_program
done
