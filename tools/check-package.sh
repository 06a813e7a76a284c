#!/bin/sh
# Checks the Debian package in BUILD_DIR (default build-package) without
# touching this machine's own installation: the validators on its desktop
# file and AppStream data, lintian, then the package unpacked into a
# scratch root, its programs run from there.
set -eu
top=$(cd "$(dirname "$0")/.." && pwd)
build=$(cd "${1:-$top/build-package}" && pwd)
deb=$(ls "$build"/screenfilter_*.deb)
root=$(mktemp -d)
display_pid=
cleanup() {
    [ -n "$display_pid" ] && kill "$display_pid" 2>/dev/null || true
    rm -rf "$root"
}
trap cleanup EXIT

echo "== $deb"
dpkg-deb -f "$deb" Package Version Depends
dpkg-deb -x "$deb" "$root"

echo "== desktop-file-validate"
desktop-file-validate "$root/usr/share/applications/screenfilter.desktop"
echo "clean"

echo "== appstreamcli validate --no-net"
appstreamcli validate --no-net "$root"/usr/share/metainfo/*.metainfo.xml

echo "== lintian"
# Errors fail the check; warnings and notes are shown.
lintian --fail-on error "$deb" 2>&1 | grep -v 'running with root privileges' || true
lintian --fail-on error "$deb" >/dev/null 2>&1

echo "== screenfilter-cli from the package"
cli="$root/usr/bin/screenfilter-cli"
"$cli" --version
work="$root/work"
mkdir "$work"
"$cli" init "$work/example.sfcase"
"$cli" run "$work/example.sfcase"
cmp "$work/result.txt" "$top/tests/data/default-report.txt"
echo "the worked example's report is the golden one"

echo "== screenfilter from the package"
display=:87
Xvfb "$display" -screen 0 1024x768x24 >/dev/null 2>&1 &
display_pid=$!
sleep 1
(cd "$work" && DISPLAY="$display" "$root/usr/bin/screenfilter" >/dev/null 2>&1) &
app=$!
if DISPLAY="$display" timeout 20 xdotool search --sync --name 'Pressure Drop of Screen Filter' >/dev/null; then
    echo "its window opened"
    kill "$app"
else
    echo "its window did not open" >&2
    kill "$app" 2>/dev/null || true
    exit 1
fi
