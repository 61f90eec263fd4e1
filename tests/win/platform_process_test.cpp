#include <windows.h>

#include <string>

#include <gtest/gtest.h>

#include "platform/process.h"
#include "tests/support/test_files.h"

namespace {

// Set for the second copy of this program that the instance test starts.
constexpr wchar_t kSecondCopyVariable[] = L"TESSAL_TEST_SECOND_COPY";
constexpr int kSawPreviousInstance = 42;
constexpr int kSawNoPreviousInstance = 43;

// Runs this program again, on the one test given, and returns its exit code.
int RunSecondCopy(const std::wstring& test) {
  std::wstring command =
      L"\"" + platform::SetupFolder() + L"\\win_tests.exe\" --gtest_brief=1 --gtest_filter=" + test;
  ::SetEnvironmentVariableW(kSecondCopyVariable, L"1");
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION process{};
  const BOOL started = ::CreateProcessW(nullptr, command.data(), nullptr, nullptr, FALSE, 0,
                                        nullptr, nullptr, &startup, &process);
  ::SetEnvironmentVariableW(kSecondCopyVariable, nullptr);
  if (!started) {
    ADD_FAILURE() << "CreateProcessW failed with " << ::GetLastError();
    return 0;
  }
  ::CloseHandle(process.hThread);
  ::WaitForSingleObject(process.hProcess, INFINITE);
  DWORD exitCode = 0;
  ::GetExitCodeProcess(process.hProcess, &exitCode);
  ::CloseHandle(process.hProcess);
  return static_cast<int>(exitCode);
}

TEST(SetupFolderWin32, IsTheFolderOfTheRunningProgram) {
  const std::wstring folder = platform::SetupFolder();
  ASSERT_FALSE(folder.empty());
  EXPECT_NE(folder.back(), L'\\');
  EXPECT_TRUE(test_support::Exists(folder + L"\\win_tests.exe"));
}

TEST(InstanceGuardWin32, TheFirstCopyHoldsTheGuardForLaterCopies) {
  EXPECT_FALSE(platform::IsPreviousInstanceRunning());
  EXPECT_FALSE(platform::IsPreviousInstanceRunning());
  EXPECT_EQ(RunSecondCopy(L"InstanceGuardWin32.SecondCopy"), kSawPreviousInstance);
}

// Only does something in the copy started above, which ends through EndProgram with its answer.
TEST(InstanceGuardWin32, SecondCopy) {
  if (::GetEnvironmentVariableW(kSecondCopyVariable, nullptr, 0) == 0) {
    GTEST_SKIP() << "runs in the second copy only";
  }
  platform::EndProgram(platform::IsPreviousInstanceRunning() ? kSawPreviousInstance
                                                             : kSawNoPreviousInstance);
}

}  // namespace
