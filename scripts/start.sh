#!/usr/bin/env bash
# Builds the program alone (Release, stripped), installs it for the current user and starts it:
#   the program          in its own folder, ~/Coffernote (COFFERNOTE_HOME chooses another), owner-only;
#   the menu entry/icons under ~/.local/share (XDG_DATA_HOME), so the desktop's menu can start it again;
#   a link ~/.local/bin/coffernote to the program (the folder made when missing), and its manual page.
# The program keeps its data files next to its executable, so it never runs from the build folder, where a clean
# build would delete them. Run it again to update: the data files stay. --install-only installs and does not start.
set -euo pipefail
here="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
build="${COFFERNOTE_RELEASE_DIR:-$here/build-release}"
home="${COFFERNOTE_HOME:-$HOME/Coffernote}"
share="${XDG_DATA_HOME:-$HOME/.local/share}"

# A running copy holds the lock of its data folder (the folder itself); replacing the program under it, then
# starting a second copy that it refuses, helps nobody.
refuse_while_running() {
    if [ -d "$home" ] && ! flock -n "$home" true 2>/dev/null; then
        echo "Close Coffernote first." >&2
        exit 1
    fi
}
refuse_while_running

bash "$here/scripts/install-deps.sh" program
cmake -S "$here" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DCOFFERNOTE_TESTS=OFF -DCOFFERNOTE_BENCH=OFF \
    -DCMAKE_INSTALL_PREFIX=/usr/local >/dev/null
cmake --build "$build" --target coffernote compressed_docs -j "${COFFERNOTE_JOBS:-$(nproc)}"
stage="$build/stage"
rm -rf "$stage"
cmake --install "$build" --prefix "$stage" --strip >/dev/null

# The program folder holds the accounts: only its owner may enter it.
refuse_while_running # it may have been started during the build
mkdir -p -m 0700 "$home"
chmod 0700 "$home"
install -m 0755 "$stage/bin/coffernote" "$home/coffernote.new"
mv -f "$home/coffernote.new" "$home/coffernote"
# The user guide Help > Online Help opens lies next to the program.
install -m 0644 "$stage/share/coffernote/user-guide.html" "$home/user-guide.html"

# The menu entry starts this copy.
exe="$home/coffernote"
entry=org.example.coffernote.desktop
mkdir -p "$share/applications" "$share/icons"
bash "$here/scripts/menu-entry.sh" "$stage/share/applications/$entry" "$exe" >"$share/applications/$entry"
rm -f "$share/applications/coffernote.desktop" # the entry's name before this one
cp -r "$stage/share/icons/hicolor" "$share/icons/"
# The manual page, where man finds it for a command in ~/.local/bin.
mkdir -p "$share/man/man1"
install -m 0644 "$stage/share/man/man1/coffernote.1.gz" "$share/man/man1/coffernote.1.gz"
touch "$share/icons/hicolor" # tells icon caches to look again
if command -v update-desktop-database >/dev/null; then
    update-desktop-database -q "$share/applications" || true
fi

# A command to start it from a terminal, where the user keeps such commands (Debian's ~/.profile puts the folder
# on PATH at the next login once it exists). A file there that is not a link is someone else's and stays.
bin="$HOME/.local/bin"
link=""
mkdir -p "$bin"
if [ -L "$bin/coffernote" ] || [ ! -e "$bin/coffernote" ]; then
    ln -sfn "$exe" "$bin/coffernote"
    link=" and the command $bin/coffernote"
else
    echo "Left $bin/coffernote alone: it is not a link." >&2
fi

echo "Installed $exe, its menu entry (Coffernote, in Utilities)$link."
if [ -n "$link" ]; then
    case ":${PATH:-}:" in
    *":$bin:"*) ;;
    *)
        echo "$bin is not on your PATH, so the command coffernote is not found yet. Log out and in again"
        echo "(Debian's ~/.profile adds the folder to PATH when it exists), or run this and open a new terminal:"
        echo "  echo 'export PATH=\"\$HOME/.local/bin:\$PATH\"' >> ~/.bashrc"
        ;;
    esac
fi
[ "${1:-}" = "--install-only" ] && exit 0
echo "Starting $exe"
exec "$exe"
