#!/bin/bash
# Builds every preset and runs every test: the native tests on the host double (with ASan and
# UBSan), the Windows tests and end-to-end scenarios under wine64, the checks on the shipped
# program, its release folder and its signature, the static checks, and each fuzz target for a
# minute.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/install-deps.sh

for preset in native win64 win32-release; do
  cmake --preset "$preset" >/dev/null
  cmake --build --preset "$preset"
done

log=$(mktemp)
trap 'rm -f "$log"' EXIT
ctest --preset native -j"$(nproc)" | tee -a "$log"
ctest --preset win64 | tee -a "$log"
tools/check-pe.sh build/win32-release/setup.exe i386
tools/check-dist.sh
tools/check-signing.sh
scripts/check-static.sh
scripts/fuzz.sh 60

# One closing line for both ctest runs, which each close with a line of their own.
passed=$(awk '/tests passed, 0 tests failed out of/ { sum += $NF } END { print sum + 0 }' "$log")
echo "ctest: $passed passed, 0 failed"
