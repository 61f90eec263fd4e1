#include <string>

#include <gtest/gtest.h>

#include "platform/odbc.h"

namespace {

using namespace std::string_literals;

// The installer refuses a driver it does not know, and the refusal must come back as false.
TEST(OdbcWin32, AnUnknownDriverIsRefused) {
  EXPECT_FALSE(platform::odbc::ConfigDataSource(platform::odbc::kAddSystemDsn,
                                                "tessal no such driver", "DSN=tessal-test\0"s));
}

}  // namespace
