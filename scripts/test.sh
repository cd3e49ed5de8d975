#!/usr/bin/env bash
# Builds everything twice (normal, and AddressSanitizer + UndefinedBehaviorSanitizer) and runs every
# test in both builds, the end-to-end printing test through a local CUPS queue included; then builds
# the fuzz targets with clang and runs each briefly on its seed corpus (scripts/fuzz.sh).
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/deps.sh
# The end-to-end printing test needs a local print queue; setting it up needs root.
if [ "$(id -u)" -eq 0 ]; then
    scripts/cups-setup.sh
else
    sudo scripts/cups-setup.sh
fi
jobs=$(nproc)
status=0
for variant in normal sanitize; do
    dir=build-test-$variant
    flags=(-DCMAKE_BUILD_TYPE=Debug)
    [ "$variant" = sanitize ] && flags+=(-DKUVERTINO_SANITIZE=ON)
    echo "=== $variant build"
    cmake -S . -B "$dir" -G Ninja "${flags[@]}" >/dev/null
    cmake --build "$dir" -j "$jobs"
    echo "=== $variant tests"
    if ! ctest --test-dir "$dir" --output-on-failure -j "$jobs"; then
        status=1
    fi
done
if ! scripts/fuzz.sh; then
    status=1
fi
# The installed program: install rules, desktop files, the .deb, and a start from the install prefix.
scripts/install-check.sh build-test-normal || status=1
exit $status
