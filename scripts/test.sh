#!/usr/bin/env bash
# Builds everything twice (the README's Release build, and a Debug build with AddressSanitizer +
# UndefinedBehaviorSanitizer), warnings as errors, and runs every test in both builds, the end-to-end printing test through a local CUPS queue included; then builds
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
# Cache hits across build folders and clones of the tree.
export CCACHE_BASEDIR=$PWD
status=0
for variant in normal sanitize; do
    # The normal build is the one the README installs from: Release, every target.
    if [ "$variant" = normal ]; then
        dir=build-release
        flags=(-DCMAKE_BUILD_TYPE=Release)
    else
        dir=build-test-sanitize
        flags=(-DCMAKE_BUILD_TYPE=Debug -DKUVERTINO_SANITIZE=ON)
    fi
    flags+=(-DKUVERTINO_WERROR=ON)
    command -v ccache >/dev/null 2>&1 && flags+=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
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
scripts/install-check.sh build-release || status=1
exit $status
