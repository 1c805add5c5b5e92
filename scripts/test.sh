#!/usr/bin/env bash
# Builds everything and runs every test: a normal build, an ASan+UBSan build and a short
# fuzzing run; the threaded tests (suites named Threaded...) also run in a TSan build.
# Tests that draw get a virtual display from xvfb-run.
# VM_BUILD_ROOT moves the build folders (default: build/ in the checkout).
set -euo pipefail
cd "$(dirname "$0")/.."
./scripts/install-deps.sh

root=${VM_BUILD_ROOT:-build}
jobs=$(nproc)

configure() {  # folder, then extra cmake arguments
  local dir=$1; shift
  cmake -S . -B "$dir" -G Ninja -Wno-dev "$@" >/dev/null
}
# Warnings are errors here and in CI, not in everyone's build.
configure "$root/release" -DCMAKE_BUILD_TYPE=Release -DVELMORANTH_WERROR=ON
configure "$root/asan" -DCMAKE_BUILD_TYPE=Debug -DVELMORANTH_BENCH=OFF -DVELMORANTH_WERROR=ON \
  -DVELMORANTH_SANITIZE=address,undefined -DCMAKE_CXX_FLAGS=-O1
configure "$root/tsan" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DVELMORANTH_BENCH=OFF \
  -DVELMORANTH_WERROR=ON -DVELMORANTH_SANITIZE=thread
cmake --build "$root/release" -j "$jobs"
cmake --build "$root/asan" -j "$jobs"
cmake --build "$root/tsan" -j "$jobs" --target capture_test audio_test sound_test rt_test raytrace_test

./scripts/fuzz.sh "${VM_FUZZ_SECONDS:-30}"

# Each test sets the environment it needs (cmake/VelmoranthTest.cmake): no sound card, no one
# to answer a message, and the sanitizers' settings.
# -noreset: by default the server resets whenever its last client leaves, and a test that
# connects during the reset finds no display.
run_ctest() {  # build folder, then extra ctest arguments
  local dir=$1; shift
  xvfb-run -a -s "-screen 0 1920x1080x24 -noreset" \
    ctest --test-dir "$dir" -j "$jobs" --output-on-failure --timeout 600 "$@"
}
run_ctest "$root/release"
run_ctest "$root/tsan" -R '^Threaded'
run_ctest "$root/asan"
