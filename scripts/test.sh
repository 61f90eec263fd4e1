#!/bin/bash
# Builds every preset and runs every test: the native tests on the host double, the Windows tests
# under wine64, and the checks on the shipped program.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/install-deps.sh

for preset in native win64 win32-release; do
  cmake --preset "$preset" >/dev/null
  cmake --build --preset "$preset"
done

ctest --preset native -j"$(nproc)"
ctest --preset win64
tools/check-pe.sh build/win32-release/setup.exe i386
