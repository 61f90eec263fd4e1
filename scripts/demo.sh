#!/bin/bash
# The main job for a new user: builds both Windows programs and shows what ships.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/install-deps.sh

for preset in win64 win32-release; do
  cmake --preset "$preset" >/dev/null
  cmake --build --preset "$preset" --target setup
done

echo
echo "== the program that ships: build/win32-release/setup.exe"
tools/check-pe.sh build/win32-release/setup.exe i386
echo
echo "build/win64/setup.exe is the same program for x86_64, the one the Wine tests run."
