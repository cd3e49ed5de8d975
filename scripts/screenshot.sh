#!/usr/bin/env bash
# Takes a screenshot of the main window under Xvfb into docs/screenshot.png (needs xvfb, x11-apps
# and imagemagick). A sample envelope is loaded from tests/data/screenshot.kvt when present.
set -euo pipefail
cd "$(dirname "$0")/.."
out=${1:-docs/screenshot.png}
build=${BUILD_DIR:-build-release}
if [ ! -x "$build/kuvertino" ]; then
    cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release >/dev/null
    cmake --build "$build" --target kuvertino
fi
tmp=$(mktemp -d)
trap 'kill $app $xvfb 2>/dev/null || true; rm -rf "$tmp"' EXIT
Xvfb :97 -screen 0 1024x800x24 -nolisten tcp &
xvfb=$!
sleep 1
mkdir -p "$tmp/data/Velmora/Kuvertino"
if [ -f tests/data/screenshot.kvt ]; then
    cp tests/data/screenshot.kvt "$tmp/data/Velmora/Kuvertino/options.dat"
fi
DISPLAY=:97 XDG_DATA_HOME="$tmp/data" XDG_CONFIG_HOME="$tmp/config" HOME="$tmp" "$build/kuvertino" &
app=$!
sleep 4
mkdir -p "$(dirname "$out")"
xwd -display :97 -root -silent | convert xwd:- -trim +repage "$out"
echo "wrote $out"
