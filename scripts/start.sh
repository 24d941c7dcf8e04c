#!/usr/bin/env bash
# Builds the program alone (Release, stripped), installs it for the current user and starts it:
#   the program          in its own folder, ~/Coffernote (COFFERNOTE_HOME chooses another), owner-only;
#   the menu entry/icons under ~/.local/share (XDG_DATA_HOME), so the desktop's menu can start it again.
# The program keeps its data files next to its executable, so it never runs from the build folder, where a clean
# build would delete them. Run it again to update: the data files stay. --install-only installs and does not start.
set -euo pipefail
here="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
build="${COFFERNOTE_RELEASE_DIR:-$here/build-release}"
home="${COFFERNOTE_HOME:-$HOME/Coffernote}"
share="${XDG_DATA_HOME:-$HOME/.local/share}"

bash "$here/scripts/install-deps.sh" program
cmake -S "$here" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DCOFFERNOTE_TESTS=OFF -DCOFFERNOTE_BENCH=OFF \
    -DCMAKE_INSTALL_PREFIX=/usr/local >/dev/null
cmake --build "$build" --target coffernote -j "${COFFERNOTE_JOBS:-$(nproc)}"
stage="$build/stage"
rm -rf "$stage"
cmake --install "$build" --prefix "$stage" --strip >/dev/null

# The program folder holds the accounts: only its owner may enter it.
mkdir -p -m 0700 "$home"
chmod 0700 "$home"
install -m 0755 "$stage/bin/coffernote" "$home/coffernote.new"
mv -f "$home/coffernote.new" "$home/coffernote"
# The user guide Help > Online Help opens lies next to the program.
install -m 0644 "$stage/share/coffernote/user-guide.html" "$home/user-guide.html"

# The menu entry starts this copy. Exec takes a quoted path with ", `, $ and \ escaped, and % doubled.
exe="$home/coffernote"
quoted=$(printf '%s' "$exe" | sed -e 's/[\\"`$]/\\&/g' -e 's/\\/\\\\/g' -e 's/%/%%/g')
mkdir -p "$share/applications" "$share/icons"
while IFS= read -r line; do
    case "$line" in
    Exec=*) printf 'Exec="%s"\n' "$quoted" ;;
    *) printf '%s\n' "$line" ;;
    esac
done <"$stage/share/applications/coffernote.desktop" >"$share/applications/coffernote.desktop"
cp -r "$stage/share/icons/hicolor" "$share/icons/"
touch "$share/icons/hicolor" # tells icon caches to look again
if command -v update-desktop-database >/dev/null; then
    update-desktop-database -q "$share/applications" || true
fi

echo "Installed $exe and its menu entry (Coffernote, in Utilities)."
[ "${1:-}" = "--install-only" ] && exit 0
echo "Starting $exe"
exec "$exe"
