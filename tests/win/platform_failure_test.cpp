#include <windows.h>

#include <string>

#include <gtest/gtest.h>

#include "platform/failure.h"
#include "platform/text.h"

namespace {

using platform::ErrorCode;
using platform::Failure;

bool EndsCleanly(const std::wstring& text) {
  return !text.empty() && text.back() != L'\r' && text.back() != L'\n' && text.back() != L' ';
}

TEST(SystemFailureWin32, CarriesTheCodeAndTheSystemText) {
  const Failure failure = platform::SystemFailure(ErrorCode{ERROR_PATH_NOT_FOUND});
  EXPECT_EQ(failure.number(), 3u);
  EXPECT_TRUE(EndsCleanly(failure.description())) << "no trailing line end or space";
  EXPECT_EQ(failure.what(), "3: " + platform::ToUtf8(failure.description()));
}

TEST(SystemFailureWin32, TakesTheLastErrorOfTheThread) {
  ::SetLastError(ERROR_ACCESS_DENIED);
  const Failure failure = platform::LastSystemFailure();
  EXPECT_EQ(failure.number(), 5u);
  EXPECT_EQ(failure.description(), platform::SystemFailure(ErrorCode::kAccessDenied).description());
}

TEST(SystemFailureWin32, ACodeWithoutSystemTextIsStillDescribed) {
  const Failure failure = platform::SystemFailure(ErrorCode{0x2000ABCD});
  EXPECT_EQ(failure.number(), 0x2000ABCDu);
  EXPECT_TRUE(EndsCleanly(failure.description()));
}

}  // namespace
