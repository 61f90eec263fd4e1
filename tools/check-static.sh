#!/bin/bash
# Static checks of the project's own code: clang-tidy with the checked-in .clang-tidy, cppcheck,
# the formatting of every C++ file against .clang-format, and flake8 over every Python file with
# the checked-in .flake8. Fails on the first finding of any.
set -euo pipefail
cd "$(dirname "$0")/.."

jobs=$(nproc)
mingw_cxx=x86_64-w64-mingw32-g++-posix

# --- Tools -------------------------------------------------------------------------------------
packages=(clang-tidy clang-format cppcheck flake8 cmake ninja-build g++ googletest python3
  g++-mingw-w64-x86-64-posix)
scripts/install-deps.sh "${packages[@]}"

# The files of a compile database that lie below the given folders of the tree, one a line.
sources_in() {
  python3 tools/compile_sources.py "$@"
}

# The project's files that end in the given extensions (.cpp .h), one a line: those git knows, or
# in a copy without git every one below the source folders.
project_files() {
  if git rev-parse --is-inside-work-tree >/dev/null 2>&1; then
    git ls-files --cached --others --exclude-standard -- "${@/#/*}"
  else
    local names=(-false)
    for extension in "$@"; do
      names+=(-o -name "*$extension")
    done
    find app common platform setup tests tools scripts \( "${names[@]}" \) -print
  fi
}

# --- clang-tidy, on Linux: the portable code and the host double -------------------------------
# Configuring is enough: clang-tidy needs the compile commands, not the objects.
if [ ! -f build/native/compile_commands.json ]; then
  cmake --preset native >/dev/null
fi
mapfile -t native_sources < <(sources_in build/native/compile_commands.json \
  app/ common/ platform/ setup/)

# --- clang-tidy, on Windows: the Win32 platform layer and the entry point ----------------------
# clang parses them for the mingw target with mingw's own C++ library and headers; clang's
# builtin headers replace gcc's, which clang cannot read.
if [ ! -f build/tidy-win64/compile_commands.json ]; then
  cmake -S . -B build/tidy-win64 -G Ninja -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-x86_64.cmake \
    -DCMAKE_BUILD_TYPE=Debug -DSETUP_TESTS=OFF >/dev/null
fi
mapfile -t win32_sources < <(sources_in build/tidy-win64/compile_commands.json \
  platform/win32/ app/winmain.cpp)
win32_args=(--extra-arg=--target=x86_64-w64-mingw32 --extra-arg=-nostdinc++)
while read -r dir; do
  dir=$(realpath "$dir")
  case "$dir" in
    /usr/lib/gcc/*/include | /usr/lib/gcc/*/include-fixed) ;;
    *) win32_args+=("--extra-arg=-isystem$dir") ;;
  esac
done < <($mingw_cxx -xc++ -E -v - </dev/null 2>&1 |
  sed -n '/#include <...> search starts here/,/End of search list/p' | grep '^ ')

echo "clang-tidy: ${#native_sources[@]} files for Linux, ${#win32_sources[@]} for Windows"
tidy_status=0
printf '%s\n' "${native_sources[@]}" |
  xargs -P"$jobs" -n1 clang-tidy -p build/native --quiet 2>/dev/null || tidy_status=1
printf '%s\n' "${win32_sources[@]}" |
  xargs -P"$jobs" -n1 clang-tidy -p build/tidy-win64 --quiet "${win32_args[@]}" 2>/dev/null ||
  tidy_status=1
if [ $tidy_status -ne 0 ]; then
  echo "clang-tidy: FAILED" >&2
  exit 1
fi
echo "clang-tidy: clean"

# --- cppcheck ----------------------------------------------------------------------------------
cppcheck_args=(--enable=warning,performance,portability --error-exitcode=1 --inline-suppr
  --std=c++20 --language=c++ -I . -j"$jobs" --quiet)
cppcheck "${cppcheck_args[@]}" "${native_sources[@]}" tests/fuzz/*.cpp
cppcheck "${cppcheck_args[@]}" --library=windows --platform=win64 -D_WIN32 -D_WIN64 \
  "${win32_sources[@]}"
echo "cppcheck: clean"

# --- clang-format ------------------------------------------------------------------------------
mapfile -t formatted < <(project_files .cpp .h)
if ! printf '%s\n' "${formatted[@]}" | xargs -P"$jobs" -n16 clang-format --dry-run --Werror; then
  echo "clang-format: FAILED (clang-format -i on the files above)" >&2
  exit 1
fi
echo "clang-format: ${#formatted[@]} files clean"

# --- flake8 ------------------------------------------------------------------------------------
# Debian's, which reads .flake8.
mapfile -t python_files < <(project_files .py)
if ! /usr/bin/flake8 "${python_files[@]}"; then
  echo "flake8: FAILED" >&2
  exit 1
fi
echo "flake8: ${#python_files[@]} files clean"
