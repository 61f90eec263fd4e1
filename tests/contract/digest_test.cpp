// The digest that proves a file of the distribution whole: the same on either platform, from the
// system's cryptography on Windows.
#include "platform/digest.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <string>

#include "tests/support/fails_with.h"
#include "tests/support/test_files.h"

namespace {

std::string Hex(const platform::Sha256& digest) {
  std::string hex;
  for (const std::uint8_t byte : digest) {
    hex += "0123456789abcdef"[byte >> 4];
    hex += "0123456789abcdef"[byte & 15];
  }
  return hex;
}

// The test vectors of FIPS 180-2; a million bytes take many reads.
TEST(FileHasherContract, GivesTheSha256OfFilesOfAnySize) {
  const test_support::TempFolder folder;
  test_support::WriteBytes(folder / L"abc", "abc");
  test_support::WriteBytes(folder / L"million", std::string(1000000, 'a'));
  platform::FileHasher hasher;
  EXPECT_EQ(Hex(hasher.Sha256Of(folder / L"abc")),
            "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad");
  EXPECT_EQ(Hex(hasher.Sha256Of(folder / L"million")),
            "cdc76e5c9914fb9281a1c7e284d73e67f1809a48a497200e046d39ccc7112cd0");
  EXPECT_THAT([&] { return hasher.Sha256Of(folder / L"missing"); },
              test_support::FailsWith(2, folder / L"missing"));
}

}  // namespace
