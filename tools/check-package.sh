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

echo "== the Python module from the package, under Debian's python3"
PYTHONPATH="$root/usr/lib/python3/dist-packages" PYTHONDONTWRITEBYTECODE=1 /usr/bin/python3 - "$root" "$work/example.sfcase" <<'EOF'
import sys
import screenfilter
root, case = sys.argv[1], sys.argv[2]
assert screenfilter.__file__.startswith(root), screenfilter.__file__
assert screenfilter._core.__file__.startswith(root), screenfilter._core.__file__
total = screenfilter.run(case).total
assert total == 363.3168215683853, total.hex()
with open("/proc/self/maps") as maps:
    assert "libQt6" not in maps.read(), "the module loaded Qt"
print(f"imported from the package; the worked example's total is {total!r} kgf/cm2, no Qt loaded")
EOF

echo "== the side windows' module, in the program's private folder"
module=$(find "$root/usr/lib" -path '*/screenfilter/libscreenfilter-windows.so')
if [ -z "$module" ] || ldd "$module" | grep 'not found'; then
    echo "the module is missing or does not resolve" >&2
    exit 1
fi
echo "${module#"$root"}"

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
