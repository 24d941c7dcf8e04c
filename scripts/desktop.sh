# What the scripts that drive the real program under Xvfb share (the screenshots, the memory scan): the tools they
# need, a temporary folder with the program they started, and finding a window. Sourced, not run.

# Installs xvfb, xauth and xdotool when they are missing (through sudo when not root).
install_desktop_tools() {
    local p missing=() sudo=""
    for p in xvfb xauth xdotool; do
        dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
    done
    [ ${#missing[@]} -eq 0 ] && return
    [ "$(id -u)" -ne 0 ] && sudo="sudo"
    echo "Installing: ${missing[*]}"
    $sudo apt-get update -qq
    DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
}

# $work, a temporary folder, and $running, the program started there: both go when the script ends.
begin_work() {
    work=$(mktemp -d)
    running=""
    trap end_work EXIT
}
end_work() {
    [ -n "$running" ] && kill "$running" 2>/dev/null || true
    rm -rf "$work"
}

stop_program() {
    kill "$running" 2>/dev/null || true
    wait "$running" 2>/dev/null || true
    running=""
}

# Waits for the visible window with exactly this title, gives it the keyboard and prints its id.
window_with_title() {
    local id
    id=$(timeout 20 xdotool search --sync --onlyvisible --name "^$1\$" | head -n 1)
    xdotool windowfocus --sync "$id" 2>/dev/null || xdotool windowfocus "$id"
    echo "$id"
}
