// The one exception type of the system: a failure that has no result code of its own.
#pragma once

#include <cstddef>
#include <cstdint>
#include <exception>
#include <string>
#include <string_view>

#include "platform/error_code.h"

namespace platform {

// Carries the code and the description that an error trap or the failure report shows: a Win32
// error code with the system's text for it, or one of the program's own codes with its own text.
// A failure of a file operation also names its subject, the file or folder it concerned, so that
// an administrator learns which one stopped the run.
class Failure : public std::exception {
 public:
  Failure(ErrorCode code, std::wstring description, std::wstring subject = {});

  [[nodiscard]] ErrorCode code() const noexcept { return code_; }
  [[nodiscard]] std::uint32_t number() const noexcept { return Number(code_); }
  [[nodiscard]] const std::wstring& description() const noexcept { return description_; }
  // Empty for a failure that concerned no file or folder.
  [[nodiscard]] const std::wstring& subject() const noexcept { return subject_; }
  // "number: description" in UTF-8, for whatever catches a std::exception and knows no more.
  [[nodiscard]] const char* what() const noexcept override { return what_.c_str(); }

 private:
  ErrorCode code_;
  std::wstring description_;
  std::wstring subject_;
  std::string what_;
};

// A value that was expected to hold a NUL (the end of a text) holds none.
[[nodiscard]] Failure TextCannotBeCut();
// A text that was to be read as a number is not one.
[[nodiscard]] Failure NotANumber(std::wstring_view text);
// A file whose bytes are not those that the distribution's list of digests gives it.
[[nodiscard]] Failure NotAsShipped(std::wstring_view file);
// A line of a file that is not of the form the file's lines must have; lines count from 1.
[[nodiscard]] Failure MalformedLine(std::size_t line, std::wstring_view file);
// The failure that the error code of the last failed system call stands for (GetLastError on
// Windows, errno mapped to its Win32 code on the host double), about the given file or folder.
[[nodiscard]] Failure LastSystemFailure(std::wstring_view subject = {});
// The failure that a given Win32 error code stands for, with the system's description of it.
[[nodiscard]] Failure SystemFailure(ErrorCode code, std::wstring_view subject = {});
// What a caught exception is reported as: a Failure as it is, running out of memory as
// kNotEnoughMemory, anything else the program did not expect as kInternalFailure.
[[nodiscard]] Failure FailureOf(const std::exception& caught);

}  // namespace platform
