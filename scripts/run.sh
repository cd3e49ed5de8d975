#!/usr/bin/env bash
# Builds the program (release build in build-release/) and starts it.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/deps.sh
cmake -S . -B build-release -G Ninja -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build build-release --target kuvertino
exec build-release/kuvertino
