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

// The copy that the instance test starts answers through its exit code before any test runs. Not
// a skipped test in every other run: a skip raises a debug-output exception, which a 32-bit
// program that has started threads does not survive under qemu's emulation of 32-bit programs.
[[maybe_unused]] const bool kIsSecondCopy = [] {
  if (::GetEnvironmentVariableW(kSecondCopyVariable, nullptr, 0) == 0) {
    return false;
  }
  ::ExitProcess(platform::IsPreviousInstanceRunning() ? kSawPreviousInstance
                                                      : kSawNoPreviousInstance);
}();

// Runs this program again as the second copy and returns its exit code.
int RunSecondCopy() {
  std::wstring command = L"\"" + platform::SetupFolder() + L"\\win_tests.exe\"";
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
  EXPECT_EQ(RunSecondCopy(), kSawPreviousInstance);
}

}  // namespace
