#!/bin/bash
# Builds the release folder twice, from two build trees of the same sources, and fails unless
# both hold the same bytes: what ships must follow from the commit alone. Both are unsigned: a
# signature holds the time it was made.
set -euo pipefail
cd "$(dirname "$0")/.."

unset "${!SETUP_SIGN_@}"
cmake --preset win32-release >/dev/null
if grep -q '^SETUP_SIGN_\(PKCS12\|CERT\|KEY\):[A-Z]*=.' build/win32-release/CMakeCache.txt; then
  echo "FAIL: build/win32-release signs setup.exe; sign from the environment, or in another tree"
  exit 1
fi
cmake --build --preset win32-release --target dist

second=build/dist-check
cmake -S . -B "$second" -G Ninja -DCMAKE_TOOLCHAIN_FILE="$PWD/cmake/mingw-i686.cmake" \
  -DCMAKE_BUILD_TYPE=Release -DSETUP_TESTS=OFF -DSETUP_DIST_DIR="$PWD/$second/dist" >/dev/null
cmake --build "$second" --target dist

diff -r dist "$second/dist"
(cd dist && sha256sum --quiet -c SHA256SUMS)
echo "dist: reproducible, $(wc -l <dist/SHA256SUMS) files, SHA256SUMS $(sha256sum dist/SHA256SUMS | cut -c1-16)"
