#!/bin/bash
# Makes sure that this machine runs 32-bit Linux programs: Wine needs them to run the 32-bit
# setup.exe under WoW64. A kernel without IA-32 emulation, or with it switched off, refuses them
# ("Exec format error"); they then run under qemu's user-mode emulation, registered with the
# kernel's binfmt_misc like the emulation of any foreign architecture. Says in one line which of
# the two runs them, or why neither can, and then exits 1.
#   enable.sh      (as root, after wine32:i386 is installed)
set -euo pipefail

here=$(dirname "$(realpath "$0")")
scripts=$here/../../../scripts
loader=/usr/lib/wine/wine  # Wine's 32-bit loader, a 32-bit Linux program
installed=/usr/local/lib/i386-emulation
binfmt=/proc/sys/fs/binfmt_misc
entry=tessal-i386

# The ELF header of a 32-bit x86 program or shared object, as qemu's own binfmt entries give it.
magic='\x7fELF\x01\x01\x01\x00\x00\x00\x00\x00\x00\x00\x00\x00\x02\x00\x03\x00'
mask='\xff\xff\xff\xff\xff\xfe\xfe\x00\xff\xff\xff\xff\xff\xff\xff\xff\xfe\xff\xff\xff'

cannot() {
  echo "FATAL: this machine cannot run 32-bit programs: $*; the setup.exe that ships (i686)" \
    "cannot be tested here" >&2
  exit 1
}

runs_32_bit() {
  "$loader" --version >/dev/null 2>&1
}

[ -x "$loader" ] || cannot "$loader is missing (install wine32:i386)"
emulated="32-bit programs: refused by this kernel, run under qemu-i386 user-mode emulation"
if runs_32_bit; then
  if [ -e "$binfmt/$entry" ]; then
    echo "$emulated"
  else
    echo "32-bit programs: run by the kernel"
  fi
  exit 0
fi

"$scripts/install-deps.sh" qemu-user-static >/dev/null || cannot "qemu-user-static did not install"
mkdir -p "$installed"
gcc -m32 -O2 -ffreestanding -nostdlib -shared -fPIC -Wall -Wextra -Werror \
  -o "$installed/map_fixed_noreplace.so" "$here/map_fixed_noreplace.c" ||
  cannot "the preload library for qemu did not build"
# binfmt_misc hands the interpreter the program's path and its arguments.
cat >"$installed/run" <<RUN
#!/bin/sh
exec /usr/bin/qemu-i386-static -E LD_PRELOAD=$installed/map_fixed_noreplace.so "\$@"
RUN
chmod 755 "$installed/run"

if [ ! -e "$binfmt/register" ]; then
  mount -t binfmt_misc binfmt_misc "$binfmt" 2>/dev/null || cannot "binfmt_misc cannot be mounted"
fi
[ -e "$binfmt/$entry" ] && echo -1 >"$binfmt/$entry"
echo ":$entry:M::$magic:$mask:$installed/run:" >"$binfmt/register" 2>/dev/null ||
  cannot "binfmt_misc refuses a handler for them"
runs_32_bit || cannot "the kernel refuses them and qemu-i386 does not run $loader either"
echo "$emulated"
