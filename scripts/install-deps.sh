#!/bin/bash
# Installs what the build and the tests need on a fresh Debian 12, as root, without questions.
# Packages already present are left alone, so a second call costs a few seconds.
#   install-deps.sh              everything below
#   install-deps.sh PACKAGE...   just those (for a script that needs only a few)
set -euo pipefail

all_packages=(
  # the native build and its tests; the double of the platform layer digests with libcrypto
  cmake ninja-build g++ googletest python3 libssl-dev
  # the Windows builds (posix thread model: std::mutex for GoogleTest)
  g++-mingw-w64-x86-64-posix g++-mingw-w64-i686-posix binutils-mingw-w64-x86-64
  binutils-mingw-w64-i686
  # the Windows tests: wine64 on a virtual X display, a Japanese locale and a font for its texts
  wine wine64 xvfb xauth x11-utils locales fonts-ipafont-gothic
  # the 32-bit setup.exe that ships, under Wine's WoW64 in the same 64-bit prefixes
  wine32:i386
  # pictures of the message boxes
  imagemagick
  # the JDK's own readers of the configuration files that a run rewrites
  openjdk-17-jdk-headless
  # signing the release, and the throwaway certificates of its test
  osslsigncode openssl
  # static checks and fuzzing
  clang clang-tidy clang-format cppcheck libclang-rt-14-dev
  # the Python of the tests, checked as written (flake8 --max-line-length=100)
  flake8
  # the README's Ansible tasks, read by Ansible itself (its Windows collection is bundled)
  ansible ansible-lint
)

if [ $# -gt 0 ]; then
  packages=("$@")
else
  packages=("${all_packages[@]}")
fi

# wine32:i386 comes from the i386 architecture, which a fresh machine does not list.
if [[ " ${packages[*]} " == *":i386 "* ]] && ! dpkg --print-foreign-architectures | grep -qx i386
then
  dpkg --add-architecture i386
fi

missing=()
for package in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q 'install ok installed'; then
    missing+=("$package")
  fi
done
if [ ${#missing[@]} -gt 0 ]; then
  echo "installing: ${missing[*]}"
  export DEBIAN_FRONTEND=noninteractive
  apt-get update -qq
  apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
fi

# Code page 932 under Wine comes from the Japanese locale of the host.
if [ $# -eq 0 ] && ! locale -a 2>/dev/null | grep -qi '^ja_JP\.utf-\?8$'; then
  sed -i 's/^# *\(ja_JP.UTF-8 UTF-8\)/\1/' /etc/locale.gen
  grep -q '^ja_JP.UTF-8 UTF-8' /etc/locale.gen || echo 'ja_JP.UTF-8 UTF-8' >>/etc/locale.gen
  locale-gen >/dev/null
fi

if [ $# -eq 0 ]; then
  # WoW64 needs a kernel that runs 32-bit programs, or their emulation; without either the test
  # command stops here, with one line that says why.
  "$(dirname "$0")/../tests/wine/i386/enable.sh"
  # Wine runs as a user of its own in every test, as Windows treats a file's permissions.
  source "$(dirname "$0")/../tests/wine/user.sh"
  wine_user_ensure
fi
