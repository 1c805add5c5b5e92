#!/usr/bin/env bash
# Installs what is missing, builds the program (which generates the demo content into the run
# folder) and starts it from there, on the current display. VM_BUILD_ROOT moves the build
# folder (default: build/).
set -euo pipefail
cd "$(dirname "$0")/.."
./scripts/install-deps.sh

build="${VM_BUILD_ROOT:-build}/release"
cmake -S . -B "$build" -G Ninja -Wno-dev -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build "$build" --target velmoranth

cd "$build/run"
exec ./velmoranth
