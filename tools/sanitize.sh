#!/usr/bin/env bash
# Builds the program and every test with AddressSanitizer and
# UndefinedBehaviorSanitizer into build-asan/ and runs all tests there (the
# replay of the fuzz corpus included). Any memory error, leak or undefined
# behaviour fails its test. Suppressions for faults inside third-party
# libraries are in tools/sanitizers/.
set -euo pipefail
cd "$(dirname "$0")/.."
tools/deps.sh
# -O1 keeps the instrumented build quick to compile and the tests quick to run.
cmake -S . -B build-asan -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DKLETOMER_SANITIZE=ON \
  -DCMAKE_CXX_FLAGS_RELWITHDEBINFO="-O1 -g -DNDEBUG" >/dev/null
cmake --build build-asan -j"$(nproc)"
export ASAN_OPTIONS="detect_leaks=1:strict_string_checks=1:check_initialization_order=1"
export LSAN_OPTIONS="suppressions=$PWD/tools/sanitizers/lsan.supp:print_suppressions=0"
export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1"
cd build-asan
QT_QPA_PLATFORM=offscreen ctest --output-on-failure -j"$(nproc)"
