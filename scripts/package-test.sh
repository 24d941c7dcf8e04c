#!/usr/bin/env bash
# Builds the Debian package, checks it with lintian (any error or warning fails), installs it, checks that the
# installed program answers and starts, that the installed tree passes AppStream's validation and that the menu
# entries (the installed one, the one scripts/start.sh writes) pass desktop-file-validate, and removes the package
# again. Needs root (or sudo); installs packages. About 3-4 minutes on 2 cores (a Release build).
set -euo pipefail
here="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
build="${COFFERNOTE_DEB_DIR:-$here/build-deb}"
sudo=""
[ "$(id -u)" -ne 0 ] && sudo="sudo"

bash "$here/scripts/install-deps.sh" package
cmake -S "$here" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DCOFFERNOTE_TESTS=OFF -DCOFFERNOTE_BENCH=OFF \
    -DCMAKE_INSTALL_PREFIX=/usr >/dev/null
cmake --build "$build" --target coffernote compressed_docs -j "${COFFERNOTE_JOBS:-$(nproc)}"
(cd "$build" && rm -f ./*.deb && cpack -G DEB >/dev/null)
deb=$(ls "$build"/coffernote_*.deb)
echo "Built $deb"
dpkg-deb --field "$deb" Package Version Depends Recommends Section

fail() { echo "FAIL: $*" >&2; exit 1; }
# What the archive's checks would say. (lintian warns that it runs as root; that is no finding.)
findings=$(lintian --fail-on none "$deb" 2>/dev/null)
[ -z "$findings" ] || fail "lintian: $findings"
echo "ok: lintian finds nothing"

cleanup() { $sudo apt-get remove -y -qq coffernote >/dev/null 2>&1 || true; }
trap cleanup EXIT
DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "$deb" >/dev/null

version=$(/usr/bin/coffernote --version) || fail "coffernote --version ended with $?"
[ "$version" = "Coffernote $(dpkg-deb --field "$deb" Version)" ] || fail "--version printed '$version'"
echo "ok: $version"
for f in /usr/share/applications/org.example.coffernote.desktop /usr/share/metainfo/org.example.coffernote.metainfo.xml \
    /usr/share/icons/hicolor/48x48/apps/coffernote.png /usr/share/icons/hicolor/scalable/apps/coffernote.svg \
    /usr/share/coffernote/user-guide.html /usr/share/doc/coffernote/copyright /usr/share/doc/coffernote/changelog.gz \
    /usr/share/man/man1/coffernote.1.gz; do
    [ -f "$f" ] || fail "$f not installed"
done
echo "ok: desktop entry, AppStream file, icons, user guide, copyright, changelog and manual page installed"
# The package's own tree (the system's other packages are none of its business).
tree=$(mktemp -d)
dpkg-deb -x "$deb" "$tree"
appstreamcli validate-tree --no-net "$tree" || fail "appstreamcli validate-tree on the package's tree"
rm -rf "$tree"
echo "ok: the package's tree passes appstreamcli validate-tree"
# Both menu entries: the installed one, and the one scripts/start.sh writes for a program folder of the user's.
entries=$(mktemp -d)
bash "$here/scripts/menu-entry.sh" /usr/share/applications/org.example.coffernote.desktop \
    "$HOME/My \"Coffernote\" \$100%/coffernote" >"$entries/org.example.coffernote.desktop"
for f in /usr/share/applications/org.example.coffernote.desktop "$entries/org.example.coffernote.desktop"; do
    desktop-file-validate "$f" || fail "desktop-file-validate $f"
done
rm -rf "$entries"
echo "ok: the installed menu entry and the one start.sh writes pass desktop-file-validate"

# Started by a user who cannot write /usr/bin, the program keeps its data in that user's own data folder.
user_home=$(mktemp -d)
chown nobody "$user_home"
rc=0
env -i PATH=/usr/bin:/bin HOME="$user_home" setpriv --reuid=nobody --regid=nogroup --clear-groups \
    xvfb-run -a timeout 5 /usr/bin/coffernote >/dev/null 2>&1 || rc=$?
[ "$rc" -eq 124 ] || fail "the installed program ended with $rc instead of running until stopped"
data="$user_home/.local/share/Coffernote"
[ -f "$data/config.dat" ] || fail "no config.dat in $data"
[ "$(stat -c %a "$data")" = 700 ] || fail "$data is not owner-only"
[ ! -e /usr/bin/config.dat ] || fail "the program wrote into /usr/bin"
rm -rf "$user_home"
echo "ok: started under Xvfb as a user without write access to /usr/bin; data in ~/.local/share/Coffernote (0700)"
cleanup
[ ! -e /usr/bin/coffernote ] || fail "removing the package left /usr/bin/coffernote"
echo "ok: removed"
