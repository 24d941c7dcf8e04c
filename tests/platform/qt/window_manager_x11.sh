#!/usr/bin/env bash
# Runs the real program under Xvfb with a stacking window manager (openbox) and checks what the desktop makes of
# its windows:
# - every message box and file dialog belongs to the window it stands on (WM_TRANSIENT_FOR) and is stacked above
#   it, also when it follows another prompt; the main window is kept on top (the default), so a box that belonged
#   to no window would be stacked below it;
# - a refused second copy's box stands above the running copy's window;
# - the main window comes back exactly where the user left it after each lock and after About.
#   window_manager_x11.sh PROGRAM COPY-TOOL
set -euo pipefail
if [ "${1:-}" != --inside ]; then
    exec xvfb-run -a -s "-screen 0 1024x768x24" bash "$0" --inside "$@"
fi
program=$2 tool=$3

work=$(mktemp -d)
pids=()
cleanup() {
    for p in "${pids[@]}"; do kill "$p" 2>/dev/null || true; done
    rm -rf "$work"
}
trap cleanup EXIT
export HOME=$work XDG_CONFIG_HOME=$work/config XDG_RUNTIME_DIR=$work/run QT_QPA_PLATFORM=xcb
mkdir -p "$XDG_RUNTIME_DIR" "$work/bin" "$work/p" && chmod 700 "$XDG_RUNTIME_DIR" "$work/p" # as root, the program folder keeps the data only when nobody else can open it
# The website of a lookup goes to a browser that opens nothing.
printf '#!/bin/sh\nexit 0\n' >"$work/bin/xdg-open" && chmod +x "$work/bin/xdg-open"
export PATH=$work/bin:$PATH

fail() {
    echo "FAIL: $*" >&2
    xprop -root _NET_CLIENT_LIST_STACKING >&2 || true
    exit 1
}

openbox >/dev/null 2>&1 &
pids+=($!)
# Ready once it names what it supports: xdotool asks for _NET_ACTIVE_WINDOW there, and openbox sets it after its
# check window. The list is read whole before it is searched (grep -q leaving a pipe early would fail it).
ready=""
for _ in $(seq 200); do
    supported=$(xprop -root _NET_SUPPORTED 2>/dev/null || true)
    [[ $supported == *_NET_ACTIVE_WINDOW* ]] && ready=1 && break
    sleep 0.1
done
[ -n "$ready" ] || fail "openbox did not start"
xdotool mousemove 1000 700 # off the window: a field under the pointer would take the keyboard

cp "$program" "$work/p/coffernote"
"$tool" save "$work/p" Bank >/dev/null

# The id of the one shown window with exactly this title, waiting for it to appear.
window() {
    local id=""
    for _ in $(seq 100); do
        id=$(xdotool search --onlyvisible --name "^$1\$" 2>/dev/null | tail -n 1) && [ -n "$id" ] && break
        sleep 0.1
    done
    [ -n "$id" ] || fail "no window named '$1'"
    echo "$id"
}

# Waits until the window with this id is gone.
gone() {
    for _ in $(seq 100); do
        xdotool getwindowname "$1" >/dev/null 2>&1 || return 0
        xprop -id "$1" WM_STATE 2>/dev/null | grep -q 'Normal' || return 0
        sleep 0.1
    done
    fail "window $1 stayed"
}

# The id of the newest shown window of the program other than window $1, waiting for it to appear.
other_window() {
    local id=""
    for _ in $(seq 100); do
        id=$(xdotool search --onlyvisible --class '^coffernote$' 2>/dev/null | grep -vx "$1" | tail -n 1) && break
        sleep 0.1
    done
    [ -n "$id" ] || fail "no window besides $1"
    echo "$id"
}

hex() { printf '0x%x' "$1"; }

# Prompt $1 belongs to window $2 (WM_TRANSIENT_FOR) and is stacked above it; $3 says what is checked.
check() {
    local transient stacking owner_seen=0 above=0
    transient=$(xprop -id "$1" WM_TRANSIENT_FOR | awk '{print $NF}')
    [ "$(hex "$transient")" = "$(hex "$2")" ] || fail "$3: the prompt belongs to $transient, not to $(hex "$2")"
    stacking=$(xprop -root _NET_CLIENT_LIST_STACKING | cut -d'#' -f2 | tr -d ',')
    for w in $stacking; do
        [ "$(hex "$w")" = "$(hex "$2")" ] && owner_seen=1
        [ "$(hex "$w")" = "$(hex "$1")" ] && [ $owner_seen = 1 ] && above=1
    done
    [ $above = 1 ] || fail "$3: the prompt is stacked below its window"
    echo "ok: $3"
}

(cd "$work/p" && exec ./coffernote) &
pids+=($!)
main=$(window "  Coffernote")
xdotool windowactivate --sync "$main"
xprop -id "$main" _NET_WM_STATE | grep -q _NET_WM_STATE_ABOVE || fail "the main window is not kept on top"

# The place of the main window's client area, as the X server has it.
place() { xwininfo -id "$main" | awk '/Absolute upper-left/ {print $NF}' | paste -sd, -; }

# Three locks and unlocks (no login: UNLOCK, then OK on the empty box), then About and its OK.
xdotool windowmove --sync "$main" 430 268
left=$(place)
for i in 1 2 3; do
    xdotool key ctrl+l
    lock=$(window " Locked")
    xdotool windowactivate --sync "$lock"
    xdotool key space Return
    gone "$lock"
    sleep 0.3
    [ "$(place)" = "$left" ] || fail "after lock $i the window stands at $(place), not at $left"
done
echo "ok: three locks leave the window at $left"
xdotool windowactivate --sync "$main"
xdotool key alt+h
sleep 0.3
xdotool key a
about=$(window "About Coffernote")
xdotool windowactivate --sync "$about"
xdotool key Return
gone "$about"
sleep 0.3
[ "$(place)" = "$left" ] || fail "after About the window stands at $(place), not at $left"
echo "ok: About leaves the window at $left"
xdotool windowactivate --sync "$main"

# Look the account up, delete it: the question, then the message that follows it.
xdotool type --delay 50 Bank
xdotool key Return
sleep 0.5
xdotool key shift+Tab space
box=$(window Coffernote)
check "$box" "$main" "the question belongs to the main window"
xdotool key Return
gone "$box"
box=$(window Coffernote)
check "$box" "$main" "the message after the question belongs to the main window"
xdotool key Return
gone "$box"

# Export: the file dialog, then the message that follows it.
xdotool key alt+f
sleep 0.3
xdotool key e
dialog=$(other_window "$main")
check "$dialog" "$main" "the export dialog belongs to the main window"
xdotool type --delay 20 "$work/export.csv"
xdotool key Return
gone "$dialog"
box=$(window Coffernote)
check "$box" "$main" "the message after the export dialog belongs to the main window"
xdotool key Return
gone "$box"
[ -f "$work/export.csv" ] || fail "nothing exported"

# A second start: its message stands above the running copy's window, which it has brought to the front.
(cd "$work/p" && exec ./coffernote) &
second=$!
pids+=("$second")
box=$(window Coffernote)
check "$box" "$main" "the second copy's message stands above the running copy's window"
xdotool windowactivate --sync "$box"
xdotool key Return
# A start refused because another copy runs ends with 1, as every end after a message that it closes does.
rc=0
wait "$second" || rc=$?
[ $rc = 1 ] || fail "the second copy ended with $rc, not 1"
echo "passed"
