// Owners for the Win32 handles that the driver opens, closed on every way out. The driver stands
// apart from the platform layer it tests, so it keeps its own.
#pragma once

#include <windows.h>

#include <utility>

namespace msgbox_driver {

template <typename Traits>
class Owned {
 public:
  using Value = typename Traits::Value;

  Owned() = default;
  explicit Owned(Value value) : value_(value) {}
  ~Owned() { reset(); }
  Owned(Owned&& other) noexcept : value_(other.release()) {}
  Owned& operator=(Owned&& other) noexcept {
    reset(other.release());
    return *this;
  }
  Owned(const Owned&) = delete;
  Owned& operator=(const Owned&) = delete;

  Value get() const { return value_; }
  explicit operator bool() const { return value_ != Traits::Invalid(); }

  Value release() { return std::exchange(value_, Traits::Invalid()); }
  void reset(Value value = Traits::Invalid()) {
    const Value old = std::exchange(value_, value);
    if (old != Traits::Invalid()) {
      Traits::Close(old);
    }
  }

 private:
  Value value_ = Traits::Invalid();
};

// Processes, threads and other kernel objects fail with a null handle.
struct KernelObjectTraits {
  using Value = HANDLE;
  static Value Invalid() { return nullptr; }
  static void Close(Value value) { ::CloseHandle(value); }
};

// CreateFileW fails with INVALID_HANDLE_VALUE.
struct FileTraits {
  using Value = HANDLE;
  static Value Invalid() { return INVALID_HANDLE_VALUE; }
  static void Close(Value value) { ::CloseHandle(value); }
};

struct MemoryDcTraits {
  using Value = HDC;
  static Value Invalid() { return nullptr; }
  static void Close(Value value) { ::DeleteDC(value); }
};

struct GdiObjectTraits {
  using Value = HGDIOBJ;
  static Value Invalid() { return nullptr; }
  static void Close(Value value) { ::DeleteObject(value); }
};

using OwnedKernelObject = Owned<KernelObjectTraits>;
using OwnedFile = Owned<FileTraits>;
using OwnedMemoryDc = Owned<MemoryDcTraits>;
using OwnedGdiObject = Owned<GdiObjectTraits>;

}  // namespace msgbox_driver
