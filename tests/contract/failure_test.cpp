// What a failure says to a reader that knows only std::exception: its number and its description,
// as the error traps and the failure report show them, on both halves of the platform.
#include <new>
#include <stdexcept>
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

// The system's text is whatever the system has for the code, with no line end of its own; a copy
// keeps its own what(), which one computed on demand into a temporary would not.
TEST(FailureTest, ASystemFailureGivesItsNumberAndTheSystemTextInUtf8) {
  const Failure failure = platform::SystemFailure(ErrorCode::kPathNotFound, L"C:\\missing");
  EXPECT_EQ(failure.code(), ErrorCode::kPathNotFound);
  EXPECT_EQ(failure.number(), 3u);
  EXPECT_EQ(failure.subject(), L"C:\\missing");
  EXPECT_TRUE(EndsCleanly(failure.description()));
  const Failure copy = failure;
  EXPECT_EQ(copy.what(), "3: " + platform::ToUtf8(failure.description()));

  const Failure unknown = platform::SystemFailure(ErrorCode{0x2000ABCD});
  EXPECT_EQ(unknown.number(), 0x2000ABCDu);
  EXPECT_TRUE(EndsCleanly(unknown.description())) << "a code without system text is described";
  EXPECT_EQ(unknown.what(), "536914893: " + platform::ToUtf8(unknown.description()));
}

TEST(FailureTest, TheProgramsOwnFailuresAndCaughtExceptionsSayWhatTheReportWillSay) {
  const Failure tampered = platform::NotAsShipped(L"C:\\dist\\setup.exe");
  EXPECT_STREQ(tampered.what(), "536870916: ファイルの内容がSHA256SUMSと一致しません。");
  EXPECT_EQ(tampered.subject(), L"C:\\dist\\setup.exe");

  const Failure memory = platform::FailureOf(std::bad_alloc());
  EXPECT_EQ(memory.code(), ErrorCode::kNotEnoughMemory);
  EXPECT_STREQ(memory.what(), "8: このコマンドを実行するのに十分な記憶域がありません。");
  const Failure unexpected = platform::FailureOf(std::runtime_error("boom"));
  EXPECT_STREQ(unexpected.what(), "536870915: 内部エラーが発生しました。");
}

}  // namespace
