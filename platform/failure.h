// The one exception type of the system: a failure that has no result code of its own.
#pragma once

#include <cstddef>
#include <cstdint>
#include <exception>
#include <string>
#include <string_view>

namespace platform {

// Numbers of the failures that Windows does not name. Bit 29 marks an application-defined code,
// so these never collide with a Win32 error code.
inline constexpr std::uint32_t kTextCannotBeCut = 0x20000001;
inline constexpr std::uint32_t kNotANumber = 0x20000002;
inline constexpr std::uint32_t kInternalFailure = 0x20000003;
inline constexpr std::uint32_t kNotAsShipped = 0x20000004;
inline constexpr std::uint32_t kMalformedLine = 0x20000005;
// Running out of memory takes the number that Windows gives it, ERROR_NOT_ENOUGH_MEMORY.
inline constexpr std::uint32_t kNotEnoughMemory = 8;
// A file that is not there, ERROR_FILE_NOT_FOUND, in a folder that is.
inline constexpr std::uint32_t kFileNotFound = 2;
// A folder that is not there, ERROR_PATH_NOT_FOUND, as Windows reports a path it cannot follow.
inline constexpr std::uint32_t kPathNotFound = 3;

// Carries the number and the description that an error trap or the failure report shows: a Win32
// error code with the system's text for it, or one of the numbers above with the program's own.
// A failure of a file operation also names its subject, the file or folder it concerned, so that
// an administrator learns which one stopped the run.
class Failure : public std::exception {
 public:
  Failure(std::uint32_t number, std::wstring description, std::wstring subject = {})
      : number_(number), description_(std::move(description)), subject_(std::move(subject)) {}

  std::uint32_t number() const noexcept { return number_; }
  const std::wstring& description() const noexcept { return description_; }
  // Empty for a failure that concerned no file or folder.
  const std::wstring& subject() const noexcept { return subject_; }
  const char* what() const noexcept override { return "platform::Failure"; }

 private:
  std::uint32_t number_;
  std::wstring description_;
  std::wstring subject_;
};

// A value that was expected to hold a NUL (the end of a text) holds none.
Failure TextCannotBeCut();
// A text that was to be read as a number is not one.
Failure NotANumber(std::wstring_view text);
// A file whose bytes are not those that the distribution's list of digests gives it.
Failure NotAsShipped(std::wstring_view file);
// A line of a file that is not of the form the file's lines must have; lines count from 1.
Failure MalformedLine(std::size_t line, std::wstring_view file);
// The failure that the error code of the last failed system call stands for (GetLastError on
// Windows, errno mapped to its Win32 code on the host double), about the given file or folder.
Failure LastSystemFailure(std::wstring_view subject = {});
// The failure that a given Win32 error code stands for, with the system's description of it.
Failure SystemFailure(std::uint32_t win32Error, std::wstring_view subject = {});
// What a caught exception is reported as: a Failure as it is, running out of memory as
// kNotEnoughMemory, anything else the program did not expect as kInternalFailure.
Failure FailureOf(const std::exception& caught);

}  // namespace platform
