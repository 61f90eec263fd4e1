// The one kind of result code of the platform layer: a Win32 error code. The registry wrappers
// answer one, the instance guard's calls answer one, and every platform::Failure carries one, so
// that a registry "long", a DWORD of GetLastError and an errno of the host double can no longer
// be mixed up, or compared with the wrong constant, as bare integers could.
#pragma once

#include <cstdint>

namespace platform {

// Any value of the 32 bits is a code; the names are those the program decides on. Windows keeps
// bit 29 for codes that an application defines, so the program's own never collide with a Win32
// code.
enum class ErrorCode : std::uint32_t {
  kSuccess = 0,
  // A file, a registry key or a value that is not there, in a folder or key that is.
  kFileNotFound = 2,
  // A folder that is not there, as Windows reports a path it cannot follow.
  kPathNotFound = 3,
  kAccessDenied = 5,
  kInvalidHandle = 6,
  // Running out of memory takes the number that Windows gives it.
  kNotEnoughMemory = 8,
  kWriteFault = 29,
  kNotSupported = 50,
  // A value type that the routines do not write, a root they do not know.
  kInvalidParameter = 87,
  kAlreadyExists = 183,
  // A buffer too small for a registry value; the size it needs comes with the code.
  kMoreData = 234,
  kTextCannotBeCut = 0x20000001,
  kNotANumber = 0x20000002,
  kInternalFailure = 0x20000003,
  kNotAsShipped = 0x20000004,
  kMalformedLine = 0x20000005,
};

// The number that the reports, the log and Windows give the code.
[[nodiscard]] constexpr std::uint32_t Number(ErrorCode code) noexcept {
  return static_cast<std::uint32_t>(code);
}

}  // namespace platform
