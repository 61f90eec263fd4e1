// Owners for the Win32 handles of the platform layer, so that every handle is closed on every way
// out, exceptions included. Each kind of handle has its own "no handle" value and closing call.
#pragma once

#include <windows.h>
// After windows.h, which WIN32_LEAN_AND_MEAN keeps from including it.
#include <wincrypt.h>

#include <utility>

namespace platform::win32 {

template <typename Traits>
class UniqueHandle {
 public:
  using Value = typename Traits::Value;

  UniqueHandle() = default;
  [[nodiscard]] explicit UniqueHandle(Value value) : value_(value) {}
  ~UniqueHandle() { reset(); }
  UniqueHandle(UniqueHandle&& other) noexcept : value_(other.release()) {}
  UniqueHandle& operator=(UniqueHandle&& other) noexcept {
    reset(other.release());
    return *this;
  }
  UniqueHandle(const UniqueHandle&) = delete;
  UniqueHandle& operator=(const UniqueHandle&) = delete;

  [[nodiscard]] Value get() const { return value_; }
  [[nodiscard]] explicit operator bool() const { return value_ != Traits::Invalid(); }

  [[nodiscard]] Value release() { return std::exchange(value_, Traits::Invalid()); }
  void reset(Value value = Traits::Invalid()) {
    const Value old = std::exchange(value_, value);
    if (old != Traits::Invalid()) {
      Traits::Close(old);
    }
  }

 private:
  Value value_ = Traits::Invalid();
};

// CreateFileW and FindFirstFileW fail with INVALID_HANDLE_VALUE; the named kernel objects, such as
// mutexes, fail with a null handle.
struct FileHandleTraits {
  using Value = HANDLE;
  static Value Invalid() { return INVALID_HANDLE_VALUE; }
  static void Close(Value value) { ::CloseHandle(value); }
};

struct FindHandleTraits {
  using Value = HANDLE;
  static Value Invalid() { return INVALID_HANDLE_VALUE; }
  static void Close(Value value) { ::FindClose(value); }
};

struct KernelObjectTraits {
  using Value = HANDLE;
  static Value Invalid() { return nullptr; }
  static void Close(Value value) { ::CloseHandle(value); }
};

// A DLL that the program loaded itself, released when the program no longer needs it.
struct ModuleTraits {
  using Value = HMODULE;
  static Value Invalid() { return nullptr; }
  static void Close(Value value) { ::FreeLibrary(value); }
};

// A CryptoAPI provider, and a hash object made in one, which must go before its provider.
struct CryptProviderTraits {
  using Value = HCRYPTPROV;
  static Value Invalid() { return 0; }
  static void Close(Value value) { ::CryptReleaseContext(value, 0); }
};

struct CryptHashTraits {
  using Value = HCRYPTHASH;
  static Value Invalid() { return 0; }
  static void Close(Value value) { ::CryptDestroyHash(value); }
};

using UniqueFile = UniqueHandle<FileHandleTraits>;
using UniqueFind = UniqueHandle<FindHandleTraits>;
using UniqueKernelObject = UniqueHandle<KernelObjectTraits>;
using UniqueModule = UniqueHandle<ModuleTraits>;
using UniqueCryptProvider = UniqueHandle<CryptProviderTraits>;
using UniqueCryptHash = UniqueHandle<CryptHashTraits>;

}  // namespace platform::win32
