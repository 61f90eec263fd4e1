// Preloaded into every 32-bit program that runs under qemu-i386: gives Wine the MAP_FIXED_NOREPLACE
// that qemu 7.2 does not honour.
//
// Wine reserves the 32-bit address space at start-up with MAP_FIXED_NOREPLACE, halving any range
// that it cannot have at its address. qemu 7.2 treats the flag as a mere hint and maps the range
// elsewhere, which Wine takes for a failure and, for an address above the user space, keeps as a
// reservation. Those misplaced ranges fill the top of the address space, and the halving then goes
// down to 64 KiB pieces: some 65,000 failed mappings, close to a minute of each start of a 32-bit
// program. Failing the way the kernel fails (EEXIST, nothing mapped) takes the start back to about
// a second.
//
// Built without the C library's headers or start files (gcc -m32 needs no 32-bit development
// packages for it); the C library's functions are found when the program loads.

typedef __SIZE_TYPE__ size_t;

extern void* dlsym(void* handle, const char* name);
extern int munmap(void* address, size_t length);
extern int* __errno_location(void);
extern int unsetenv(const char* name);

#define RTLD_NEXT ((void*)-1L)
#define MAP_FAILED ((void*)-1)
#define MAP_FIXED_NOREPLACE 0x100000
#define EEXIST 17

typedef void* (*Mmap64)(void*, size_t, int, int, int, long long);

// qemu gives this library to the program through LD_PRELOAD; a 64-bit program that it starts
// could not load it and would say so on its error output.
__attribute__((constructor)) static void ForgetPreload(void) {
  unsetenv("LD_PRELOAD");
}

void* mmap64(void* address, size_t length, int protection, int flags, int fd, long long offset) {
  static Mmap64 next;
  if (!next) {
    next = (Mmap64)dlsym(RTLD_NEXT, "mmap64");
  }
  void* const mapped = next(address, length, protection, flags, fd, offset);
  if ((flags & MAP_FIXED_NOREPLACE) && address && mapped != MAP_FAILED && mapped != address) {
    munmap(mapped, length);
    *__errno_location() = EEXIST;
    return MAP_FAILED;
  }
  return mapped;
}

void* mmap(void* address, size_t length, int protection, int flags, int fd, long offset) {
  return mmap64(address, length, protection, flags, fd, offset);
}
