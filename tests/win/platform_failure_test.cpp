#include <windows.h>

#include <gtest/gtest.h>

#include "platform/failure.h"

namespace {

using platform::ErrorCode;

TEST(SystemFailureWin32, TakesTheLastErrorOfTheThread) {
  ::SetLastError(ERROR_ACCESS_DENIED);
  const platform::Failure failure = platform::LastSystemFailure();
  EXPECT_EQ(failure.code(), ErrorCode::kAccessDenied);
  EXPECT_EQ(failure.description(), platform::SystemFailure(ErrorCode::kAccessDenied).description());
}

}  // namespace
