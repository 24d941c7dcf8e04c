#!/usr/bin/env bash
# Builds the Debian package, installs it, checks that the installed program answers and starts, and removes
# the package again. Needs root (or sudo); installs packages. About 3-4 minutes on 2 cores (a Release build).
set -euo pipefail
here="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
build="${COFFERNOTE_DEB_DIR:-$here/build-deb}"
sudo=""
[ "$(id -u)" -ne 0 ] && sudo="sudo"

bash "$here/scripts/install-deps.sh" package
cmake -S "$here" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DCOFFERNOTE_TESTS=OFF -DCOFFERNOTE_BENCH=OFF \
    -DCMAKE_INSTALL_PREFIX=/usr >/dev/null
cmake --build "$build" --target coffernote -j "${COFFERNOTE_JOBS:-$(nproc)}"
(cd "$build" && rm -f ./*.deb && cpack -G DEB >/dev/null)
deb=$(ls "$build"/coffernote_*.deb)
echo "Built $deb"
dpkg-deb --field "$deb" Package Version Depends Section

cleanup() { $sudo apt-get remove -y -qq coffernote >/dev/null 2>&1 || true; }
trap cleanup EXIT
DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "$deb" >/dev/null

fail() { echo "FAIL: $*" >&2; exit 1; }
version=$(/usr/bin/coffernote --version) || fail "coffernote --version ended with $?"
[ "$version" = "Coffernote $(dpkg-deb --field "$deb" Version)" ] || fail "--version printed '$version'"
echo "ok: $version"
for f in /usr/share/applications/coffernote.desktop /usr/share/metainfo/coffernote.metainfo.xml \
    /usr/share/icons/hicolor/48x48/apps/coffernote.png /usr/share/icons/hicolor/scalable/apps/coffernote.svg; do
    [ -f "$f" ] || fail "$f not installed"
done
echo "ok: desktop entry, AppStream file and icons installed"

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
