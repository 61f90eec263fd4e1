// Reading and writing ANSI text files, on either platform. Lines are bytes: a line that is read and
// written back unchanged must keep every byte, whatever the code page makes of it.
#include <string>
#include <vector>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "platform/files.h"
#include "tests/support/fails_with.h"
#include "tests/support/test_files.h"

namespace {

using platform::TextFileReader;
using platform::TextFileWriter;
using test_support::FailsWith;
using test_support::ReadBytes;
using test_support::TempFolder;
using test_support::WriteBytes;
using ::testing::ElementsAre;
using ::testing::ElementsAreArray;
using ::testing::IsEmpty;

std::vector<std::string> ReadLines(const std::wstring& path) {
  TextFileReader reader(path);
  std::vector<std::string> lines;
  std::string line;
  while (reader.ReadLine(line)) {
    lines.push_back(line);
  }
  return lines;
}

std::vector<std::string> LinesOf(const std::string& bytes) {
  const TempFolder folder;
  WriteBytes(folder / L"file.txt", bytes);
  return ReadLines(folder / L"file.txt");
}

TEST(TextFileReaderContract, EveryKindOfLineEndEndsALine) {
  struct Case {
    std::string bytes;
    std::vector<std::string> lines;
  };
  const Case cases[] = {
      {"a\r\nb\r\n", {"a", "b"}},
      {"a\nb\n", {"a", "b"}},
      {"a\rb\r", {"a", "b"}},
      {"a\r\nb\nc\rd", {"a", "b", "c", "d"}},
      {"a\r\n", {"a"}},
      {"a\r\n\r\n", {"a", ""}},
      {"\n\r", {"", ""}},
      {"\r\r\n", {"", ""}},
      {"last line without an end", {"last line without an end"}},
      {"", {}},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(LinesOf(c.bytes), c.lines) << "bytes: " << ::testing::PrintToString(c.bytes);
  }
}

TEST(TextFileReaderContract, LinesAreTheFileBytesExactly) {
  // 日本 and 表 in code page 932; the trail byte of 表 is "\".
  EXPECT_THAT(LinesOf("\x93\xfa\x96\x7b\r\n\x95\x5c\r\n"),
              ElementsAre("\x93\xfa\x96\x7b", "\x95\x5c"));
}

TEST(TextFileReaderContract, LongLinesAndLineEndsAcrossReadsStayWhole) {
  const std::string megabyte(1 << 20, 'x');
  EXPECT_THAT(LinesOf(megabyte + "\r\nafter"), ElementsAre(megabyte, "after"));
  // The CR ends the first 64 KiB and the LF starts the next: still one line end.
  const std::string beforeBoundary(64 * 1024 - 1, 'y');
  EXPECT_THAT(LinesOf(beforeBoundary + "\r\nz"), ElementsAre(beforeBoundary, "z"));
}

TEST(TextFileReaderContract, TheEndComesAfterTheLastLineAndStays) {
  const TempFolder folder;
  WriteBytes(folder / L"empty.txt", "");
  WriteBytes(folder / L"one.txt", "only");

  TextFileReader empty(folder / L"empty.txt");
  std::string line = "stale";
  EXPECT_FALSE(empty.ReadLine(line));
  EXPECT_EQ(line, "") << "the end gives no line";

  TextFileReader one(folder / L"one.txt");
  ASSERT_TRUE(one.ReadLine(line));
  EXPECT_EQ(line, "only");
  EXPECT_FALSE(one.ReadLine(line));
  EXPECT_FALSE(one.ReadLine(line));
}

TEST(TextFileReaderContract, AMissingFileFailsWithFileNotFound) {
  const TempFolder folder;
  EXPECT_THAT([&] { TextFileReader reader(folder / L"missing.txt"); },
              FailsWith(2, folder / L"missing.txt"));
}

TEST(TextFileWriterContract, EndsEveryLineWithCrLf) {
  const TempFolder folder;
  TextFileWriter writer(folder / L"out.txt");
  writer.WriteLine("a");
  writer.WriteLine("");
  writer.WriteLine("\x95\x5c");
  writer.Close();
  EXPECT_EQ(ReadBytes(folder / L"out.txt"), "a\r\n\r\n\x95\x5c\r\n");
}

TEST(TextFileWriterContract, EmptiesAnExistingFileEvenAHiddenOne) {
  const TempFolder folder;
  WriteBytes(folder / L"plain.ini", "a much longer old content\r\nsecond\r\n");
  WriteBytes(folder / L"hidden.ini", "old hidden content\r\n");
  test_support::MarkHidden(folder / L"hidden.ini");

  for (const wchar_t* name : {L"plain.ini", L"hidden.ini"}) {
    TextFileWriter writer(folder / name);
    writer.WriteLine("new");
    writer.Close();
    EXPECT_EQ(ReadBytes(folder / name), "new\r\n");
  }
  // Rewriting keeps the file hidden.
  platform::DirectoryListing listing(folder / L"hidden.ini",
                                     platform::ListingAttributes::kPlainFiles);
  EXPECT_EQ(listing.Next(), L"");
}

TEST(TextFileWriterContract, AReadOnlyFileIsRefusedAndKept) {
  const TempFolder folder;
  WriteBytes(folder / L"read-only.ini", "kept\r\n");
  test_support::MarkReadOnly(folder / L"read-only.ini");
  EXPECT_THAT([&] { TextFileWriter writer(folder / L"read-only.ini"); },
              FailsWith(5, folder / L"read-only.ini"));
  EXPECT_EQ(ReadBytes(folder / L"read-only.ini"), "kept\r\n");
}

TEST(TextFileWriterContract, WithoutCloseTheDestructorStillWritesEverything) {
  const TempFolder folder;
  {
    TextFileWriter writer(folder / L"out.txt");
    writer.WriteLine("unclosed");
  }
  EXPECT_EQ(ReadBytes(folder / L"out.txt"), "unclosed\r\n");
}

TEST(TextFileWriterContract, WhatIsWrittenReadsBackLineForLine) {
  std::vector<std::string> lines{std::string(1 << 20, 'm'), ""};
  for (int i = 0; i < 20000; ++i) {
    lines.push_back("line " + std::to_string(i));
  }
  const TempFolder folder;
  TextFileWriter writer(folder / L"big.txt");
  for (const std::string& line : lines) {
    writer.WriteLine(line);
  }
  writer.Close();
  EXPECT_THAT(ReadLines(folder / L"big.txt"), ElementsAreArray(lines));
}

TEST(TextFileWriterContract, NothingWrittenLeavesAnEmptyFile) {
  const TempFolder folder;
  TextFileWriter writer(folder / L"empty.txt");
  writer.Close();
  EXPECT_EQ(ReadBytes(folder / L"empty.txt"), "");
  EXPECT_THAT(ReadLines(folder / L"empty.txt"), IsEmpty());
}

}  // namespace
