#!/usr/bin/env bash
# Renews the README's screenshots: runs the real program under Xvfb on a temporary program folder with a few
# sample accounts and saves the main window, the login dialog and the lock screen, in a light and a dark
# desktop theme, as PNGs in docs/screenshots/.
#
# The theme reaches the program the way a KDE Plasma desktop hands its colour scheme and font to every Qt
# program: Qt's built-in KDE platform theme reads them from kdeglobals. Nothing in the program is special to
# screenshots.
#
#   bash scripts/screenshots.sh                      # 10 pt, into docs/screenshots/
#   SIZES="8 10 12" OUT=/tmp/shots bash scripts/screenshots.sh   # other font sizes, elsewhere
set -euo pipefail

root=$(cd "$(dirname "$0")/.." && pwd)
source "$root/scripts/desktop.sh"
build=${BUILD_DIR:-$root/build}
out=${OUT:-$root/docs/screenshots}
sizes=${SIZES:-10}

if [ "${1:-}" != "--inside" ]; then
    install_desktop_tools
    if [ ! -f "$build/build.ninja" ]; then
        cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release
    fi
    cmake --build "$build" --target coffernote screenshot_data grab_window
    mkdir -p "$out"
    exec xvfb-run -a -s "-screen 0 1280x1024x24" env BUILD_DIR="$build" OUT="$out" SIZES="$sizes" \
        bash "$0" --inside
fi

begin_work

# kdeglobals for one theme and font size (the Breeze and Breeze Dark colours).
write_theme() {
    local theme=$1 points=$2 window view fore select
    if [ "$theme" = dark ]; then
        window=49,54,59 view=35,38,41 fore=239,240,241 select=61,174,233
    else
        window=239,240,241 view=252,252,252 fore=35,38,39 select=61,174,233
    fi
    mkdir -p "$XDG_CONFIG_HOME"
    cat > "$XDG_CONFIG_HOME/kdeglobals" <<KDE
[General]
font=DejaVu Sans,$points,-1,5,50,0,0,0,0,0
fixed=DejaVu Sans Mono,$points,-1,5,50,0,0,0,0,0

[Colors:Window]
BackgroundNormal=$window
ForegroundNormal=$fore

[Colors:View]
BackgroundNormal=$view
ForegroundNormal=$fore

[Colors:Button]
BackgroundNormal=$window
ForegroundNormal=$fore

[Colors:Selection]
BackgroundNormal=$select
ForegroundNormal=252,252,252

[Colors:Tooltip]
BackgroundNormal=$view
ForegroundNormal=$fore
KDE
}

# Starts the program in a fresh program folder holding the sample accounts (with a login when asked).
start_program() {
    local folder=$1 login=${2:-}
    mkdir -p -m 700 "$folder" # the program folder keeps the data only when it is the user's alone
    cp "$build/src/coffernote" "$folder/"
    "$build/tools/screenshot_data" "$folder" $login
    (cd "$folder" && exec ./coffernote) &
    running=$!
}

# Waits for the window with exactly this title, gives it the keyboard, moves the mouse out of the picture and
# prints its id.
window_named() {
    window_with_title "$1"
    xdotool mousemove 1270 1010
    sleep 0.5
}

grab() {
    sleep 0.5
    "$build/tools/grab_window" "$1" "$2"
    echo "wrote $2"
}

for points in $sizes; do
    for theme in light dark; do
        suffix=$theme
        [ "$points" != 10 ] && suffix=$theme-${points}pt
        export XDG_CONFIG_HOME=$work/$theme-$points/config XDG_RUNTIME_DIR=$work/$theme-$points/run
        export KDE_FULL_SESSION=true KDE_SESSION_VERSION=5 QT_QPA_PLATFORMTHEME=kde
        mkdir -p "$XDG_RUNTIME_DIR" && chmod 700 "$XDG_RUNTIME_DIR"
        write_theme "$theme" "$points"

        # The main window with an account looked up (typed, completed, GO), then the lock screen.
        start_program "$work/$theme-$points/main"
        id=$(window_named "  Coffernote")
        xdotool type --delay 80 "Ba"
        xdotool key Return
        grab "$id" "$out/main-$suffix.png"
        xdotool key ctrl+l
        grab "$(window_named " Locked")" "$out/lock-$suffix.png"
        stop_program

        # The login dialog, with the user name typed.
        start_program "$work/$theme-$points/login" login
        id=$(window_named " Login")
        xdotool type --delay 80 "jane"
        grab "$id" "$out/login-$suffix.png"
        stop_program
    done
done
