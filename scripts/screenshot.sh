#!/usr/bin/env bash
# Takes a screenshot of the installed program's main window under Xvfb into docs/screenshot.png
# (needs xvfb and imagemagick). The build is installed into a temporary prefix and started from
# there; a sample envelope is loaded from tests/data/screenshot.kvt when present.
set -euo pipefail
cd "$(dirname "$0")/.."
out=${1:-docs/screenshot.png}
build=${BUILD_DIR:-build-release}
[ -f "$build/CMakeCache.txt" ] || cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release >/dev/null
# What the install rules take: the program, the shipped table and the icons.
cmake --build "$build" --target kuvertino translation_table app_icons
tmp=$(mktemp -d)
trap 'kill $app $xvfb 2>/dev/null || true; rm -rf "$tmp"' EXIT
DESTDIR="$tmp/stage" cmake --install "$build" --prefix /usr >/dev/null
Xvfb :97 -screen 0 1024x800x24 -nolisten tcp &
xvfb=$!
sleep 1
mkdir -p "$tmp/data/Velmora/Kuvertino"
if [ -f tests/data/screenshot.kvt ]; then
    cp tests/data/screenshot.kvt "$tmp/data/Velmora/Kuvertino/options.dat"
fi
DISPLAY=:97 XDG_DATA_HOME="$tmp/data" XDG_CONFIG_HOME="$tmp/config" HOME="$tmp" "$tmp/stage/usr/bin/kuvertino" &
app=$!
sleep 4
mkdir -p "$(dirname "$out")"
if command -v xwd >/dev/null; then
    xwd -display :97 -root -silent | convert xwd:- -trim +repage "$out"
else
    import -display :97 -window root png:- | convert png:- -trim +repage "$out"
fi
echo "wrote $out"
