// What a failure says to a reader that knows only std::exception: its number and its description,
// as the error traps and the failure report show them.
#include <new>
#include <stdexcept>
#include <string>

#include <gtest/gtest.h>

#include "platform/failure.h"

namespace {

using platform::ErrorCode;
using platform::Failure;

// The texts are a Japanese Windows' and the program's own, in UTF-8; a copy keeps its own text,
// which a what() computed on demand into a temporary would not.
TEST(FailureTest, WhatGivesTheNumberAndTheDescriptionInUtf8) {
  const Failure system = platform::SystemFailure(ErrorCode::kPathNotFound, L"C:\\missing");
  EXPECT_STREQ(system.what(), "3: 指定されたパスが見つかりません。");
  EXPECT_EQ(system.code(), ErrorCode::kPathNotFound);
  EXPECT_EQ(system.number(), 3u);

  const Failure copy = platform::NotAsShipped(L"C:\\dist\\setup.exe");
  EXPECT_STREQ(copy.what(), "536870916: ファイルの内容がSHA256SUMSと一致しません。");
  EXPECT_EQ(copy.subject(), L"C:\\dist\\setup.exe");
}

TEST(FailureTest, WhatOfACaughtExceptionSaysWhatTheReportWillSay) {
  const Failure memory = platform::FailureOf(std::bad_alloc());
  EXPECT_EQ(memory.code(), ErrorCode::kNotEnoughMemory);
  EXPECT_STREQ(memory.what(), "8: このコマンドを実行するのに十分な記憶域がありません。");
  const Failure unexpected = platform::FailureOf(std::runtime_error("boom"));
  EXPECT_STREQ(unexpected.what(), "536870915: 内部エラーが発生しました。");
}

}  // namespace
