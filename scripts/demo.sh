#!/bin/bash
# The main job for a new user: builds the program that ships (the i686 setup.exe) and runs it on a
# throwaway 64-bit Windows machine under Wine's WoW64, as on the machines it is for: the 32-bit JDK
# 1.4 and Tomcat 4.1 registered in the 32-bit registry view, the sample distribution beside
# setup.exe. It answers Yes and reports what the run changed and in which registry view, then
# checks the program file. Output in build/demo: the pictures of the boxes and mbdriver's log.
#
# DEMO_WIN32_BUILD puts the build tree elsewhere than the preset's own.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/install-deps.sh

win32=${DEMO_WIN32_BUILD:-build/win32-release}
if [ "$win32" == "build/win32-release" ]; then
  cmake --preset win32-release >/dev/null
else
  cmake --preset win32-release -B "$win32" >/dev/null
fi
# The stand-in Access driver lets the run register its data source: Wine has no Access driver.
cmake --build "$win32" --target setup_exe mbdriver fakeodbc

/usr/bin/python3 -B tests/e2e/scenarios.py demo --build "$win32" --out build/demo --machine wow64

echo
echo "== the program that ships: $win32/setup.exe"
tools/check-pe.sh "$win32/setup.exe" i386
echo
echo "== where things are"
echo "   pictures of the boxes:  $PWD/build/demo/shots/"
echo "   the program to ship:    $(realpath "$win32/setup.exe")"
echo "   ship it beside J2SE\ and TOMCAT\; 'cmake --build --preset win32-release --target dist'"
echo "   lays that folder, with SHA256SUMS, in dist/."
