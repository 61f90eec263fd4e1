#!/bin/bash
# The main job for a new user: builds both Windows programs, runs the x86_64 one on a throwaway
# Windows machine under wine64 (the JDK 1.4 and Tomcat 4.1 registered, the sample distribution
# beside setup.exe), answers Yes and reports what it changed, then shows the program that ships.
# Output in build/demo: the pictures of the boxes and mbdriver's log.
#
# DEMO_WIN64_BUILD and DEMO_WIN32_BUILD put the two build trees elsewhere than the presets' own.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/install-deps.sh

win64=${DEMO_WIN64_BUILD:-build/win64}
win32=${DEMO_WIN32_BUILD:-build/win32-release}

# configure PRESET DIR: the preset's settings, in its own folder or the one asked for.
configure() {
  if [ "$2" == "build/$1" ]; then
    cmake --preset "$1" >/dev/null
  else
    cmake --preset "$1" -B "$2" >/dev/null
  fi
}

configure win64 "$win64"
# The stand-in Access driver lets the run register its data source: Wine has no Access driver.
cmake --build "$win64" --target setup mbdriver fakeodbc
configure win32-release "$win32"
cmake --build "$win32" --target setup

python3 -B tests/e2e/demo.py --build "$win64" --out build/demo

echo
echo "== the program that ships: $win32/setup.exe"
tools/check-pe.sh "$win32/setup.exe" i386
echo
echo "$win64/setup.exe is the same program for x86_64, the one that ran above under wine64."
echo
echo "== where things are"
echo "   pictures of the boxes:  $PWD/build/demo/shots/"
echo "   the program to ship:    $(realpath "$win32/setup.exe")"
echo "   ship it beside J2SE\ and TOMCAT\; 'cmake --build --preset win32-release --target dist'"
echo "   lays that folder, with SHA256SUMS, in dist/."
