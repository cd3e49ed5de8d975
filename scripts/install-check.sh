#!/usr/bin/env bash
# Checks the installed program: installs a build into a temporary DESTDIR, validates the desktop entry,
# the AppStream metadata and the MIME type, builds the .deb and checks its file list, and starts the
# installed program offscreen with a fresh home: it must read the shipped table from share/kuvertino/
# and keep the texts it adds in the user's own copy, also across a second start.
# Also configures a build without tests (BUILD_TESTING=OFF), which must need no test-only package and
# define no test, benchmark or fuzz target.
# Usage: scripts/install-check.sh [build folder]   (default: build-release, the README's install build)
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build-release}
id=example.velmora.Kuvertino
tmp=$(mktemp -d)
app=
cleanup() {
    [ -n "$app" ] && kill "$app" 2>/dev/null || true
    rm -rf "$tmp"
}
trap cleanup EXIT
fail() {
    echo "install-check: $*" >&2
    exit 1
}

expected_files() {
    cat <<LIST
usr/bin/kuvertino
usr/share/applications/$id.desktop
usr/share/bash-completion/completions/kuvertino
usr/share/icons/hicolor/128x128/apps/$id.png
usr/share/icons/hicolor/16x16/apps/$id.png
usr/share/icons/hicolor/24x24/apps/$id.png
usr/share/icons/hicolor/256x256/apps/$id.png
usr/share/icons/hicolor/32x32/apps/$id.png
usr/share/icons/hicolor/48x48/apps/$id.png
usr/share/icons/hicolor/64x64/apps/$id.png
usr/share/icons/hicolor/scalable/apps/$id.svg
usr/share/kuvertino/translate.dat
usr/share/man/man1/kuvertino.1
usr/share/metainfo/$id.metainfo.xml
usr/share/mime/packages/$id.xml
LIST
}

echo "=== without tests"
cmake -S . -B "$tmp/no-tests" -G Ninja -DCMAKE_BUILD_TYPE=Release -DBUILD_TESTING=OFF >/dev/null
! grep -q -E '^(Qt6Test_DIR|POPPLER_QT6_[A-Z_]+):' "$tmp/no-tests/CMakeCache.txt" ||
    fail "BUILD_TESTING=OFF still looks for Qt Test or poppler"
# The whole list first: a grep that stops reading early would end ninja with SIGPIPE.
all_targets=$(cmake --build "$tmp/no-tests" -- -t targets all)
targets=$(grep -E -o '^(tst|bench|fuzz)_[a-z_]+' <<<"$all_targets" || true)
[ -z "$targets" ] || fail "BUILD_TESTING=OFF still defines $(echo "$targets" | head -3 | tr '\n' ' ')"
[ "$(ctest --test-dir "$tmp/no-tests" -N | grep -c 'Test *#')" -eq 0 ] || fail "BUILD_TESTING=OFF registers tests"
grep -q '^kuvertino:' <<<"$all_targets" || fail "no program without tests"

echo "=== install into a temporary DESTDIR"
stage=$tmp/stage
DESTDIR=$stage cmake --install "$build" --prefix /usr >/dev/null
diff <(expected_files) <(cd "$stage" && find . -type f | sed 's|^\./||' | LC_ALL=C sort) ||
    fail "installed files differ from the list above"
for size in 16 24 32 48 64 128 256; do
    file "$stage/usr/share/icons/hicolor/${size}x${size}/apps/$id.png" | grep -q "PNG image data, $size x $size," ||
        fail "icon $size is no ${size}x${size} PNG"
done
cmp "$build/translate.dat" "$stage/usr/share/kuvertino/translate.dat" || fail "shipped table differs from the build's"

echo "=== validate"
desktop-file-validate "$stage/usr/share/applications/$id.desktop"
appstreamcli validate --no-net "$stage/usr/share/metainfo/$id.metainfo.xml"
# The MIME type must compile into a database that maps .kvt to it.
mkdir -p "$tmp/mime/packages"
cp "$stage/usr/share/mime/packages/$id.xml" "$tmp/mime/packages/"
update-mime-database "$tmp/mime" 2>"$tmp/mime.log" || { cat "$tmp/mime.log" >&2; fail "MIME type rejected"; }
grep -q '^application/x-kuvertino:\*\.kvt$' "$tmp/mime/globs" || fail "no *.kvt glob in the MIME database"
groff -man -Tutf8 -z -ww "$stage/usr/share/man/man1/kuvertino.1" >"$tmp/man.log" 2>&1
[ ! -s "$tmp/man.log" ] || { cat "$tmp/man.log" >&2; fail "man page warnings"; }

echo "=== Debian package"
(cd "$build" && cpack -G DEB -B "$tmp/deb" >/dev/null)
deb=$(ls "$tmp"/deb/kuvertino_*.deb)
diff <(expected_files) <(dpkg-deb -c "$deb" | awk '$1 !~ /^d/ {print $6}' | sed 's|^\./||' | LC_ALL=C sort) ||
    fail "package files differ from the list above"
dpkg-deb -f "$deb" Depends | grep -q 'libqt6widgets6' || fail "package does not depend on Qt Widgets"
[ "$(dpkg-deb -f "$deb" Section)" = misc ] || fail "package section"
[ "$(dpkg-deb -f "$deb" Version)" = 1.0 ] || fail "package version"

echo "=== installed program, offscreen, fresh home"
home=$tmp/home
settings=$home/.local/share/Velmora/Kuvertino
mkdir -p "$settings"
le32() {
    local v=$1
    printf "\\x$(printf %02x $((v & 255)))\\x$(printf %02x $(((v >> 8) & 255)))"
    printf "\\x$(printf %02x $(((v >> 16) & 255)))\\x$(printf %02x $(((v >> 24) & 255)))"
}
wide() { # ASCII text as a wide-string record
    local s=$1 i
    le32 ${#s}
    for ((i = 0; i < ${#s}; i++)); do printf '%s\x00' "${s:i:1}"; done
}
# An envelope file of the first eight fields: the recipient, the start-up lengths and lists.
envelope() {
    wide "$1"
    wide ""
    wide ""
    printf '\x00\x00\x00\x00\x00\x00\x2e\x40\x00\x00\x00\x00\x00\x00\x14\x40\x00\x00\x00\x00\x00\x00\x34\x40'
    le32 11
    le32 1
}
table_text() { iconv -f UTF-16LE -t UTF-8 "$1" 2>/dev/null | tr -d '\000' || true; }
# English, millimetres: the walk looks up every text of the windows, the restored recipient too, which
# no shipped table holds, so it is added.
printf '\x01\x00\x00\x00\x01' >"$settings/options0.dat"
shipped=$stage/usr/share/kuvertino/translate.dat
copy=$settings/translate.dat
run_until_added() {
    local text=$1
    envelope "$text" >"$settings/options.dat"
    env -i PATH="$PATH" HOME="$home" QT_QPA_PLATFORM=offscreen LC_ALL=C.UTF-8 "$stage/usr/bin/kuvertino" \
        >"$tmp/run.log" 2>&1 &
    app=$!
    local i
    for ((i = 0; i < 300; i++)); do
        [ -f "$copy" ] && table_text "$copy" | grep -q "$text" && break
        kill -0 "$app" 2>/dev/null || { cat "$tmp/run.log" >&2; fail "the program ended by itself"; }
        sleep 0.1
    done
    kill "$app"
    wait "$app" 2>/dev/null || true
    app=
    table_text "$copy" | grep -q "$text" || { cat "$tmp/run.log" >&2; fail "\"$text\" not in the user's table"; }
}
run_until_added "Kuvert Eins"
# Seeded from the shipped table: its rows come first, unchanged.
shipped_rows=$(od -An -t d4 -j4 -N4 "$shipped" | tr -d ' ')
copy_rows=$(od -An -t d4 -j4 -N4 "$copy" | tr -d ' ')
[ "$copy_rows" -gt "$shipped_rows" ] || fail "user table has $copy_rows rows, shipped $shipped_rows"
shipped_size=$(stat -c %s "$shipped")
cmp -n $((shipped_size - 8)) <(tail -c +9 "$shipped") <(tail -c +9 "$copy") ||
    fail "the user's table does not begin with the shipped rows"
cmp "$build/translate.dat" "$shipped" || fail "the shipped table was changed"
[ ! -e "$stage/usr/bin/translate.dat" ] || fail "a table was written beside the installed program"
# Second start: the user's copy is the table now, so the first added text stays.
run_until_added "Kuvert Zwei"
table_text "$copy" | grep -q "Kuvert Eins" || fail "the second start did not read the user's table"
cmp "$build/translate.dat" "$shipped" || fail "the shipped table was changed"
echo "install-check: all good ($shipped_rows shipped rows, $(od -An -t d4 -j4 -N4 "$copy" | tr -d ' ') in the user's table)"
