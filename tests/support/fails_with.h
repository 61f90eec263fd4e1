// What a platform operation that fails must throw: the Win32 number that the error traps and the
// failure report show, and for a file operation the file or folder that the report names.
#pragma once

#include <gmock/gmock.h>

#include <cstdint>
#include <string>

#include "platform/failure.h"

namespace test_support {

inline auto FailsWith(std::uint32_t number) {
  return ::testing::Throws<platform::Failure>(
      ::testing::Property(&platform::Failure::number, number));
}

inline auto FailsWith(std::uint32_t number, const std::wstring& subject) {
  return ::testing::Throws<platform::Failure>(
      ::testing::AllOf(::testing::Property(&platform::Failure::number, number),
                       ::testing::Property(&platform::Failure::subject, subject)));
}

}  // namespace test_support
