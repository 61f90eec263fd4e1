// Every native test starts from an empty double: no registry, no scripts, no records.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/host/double_control.h"

class DoubleTest : public ::testing::Test {
 protected:
  // In the constructor, before the members of a derived fixture put anything into the double.
  DoubleTest() { host_double::Reset(); }

  static std::vector<std::wstring> Prompts() {
    std::vector<std::wstring> prompts;
    for (const auto& shown : host_double::ShownMessages()) {
      prompts.push_back(shown.prompt);
    }
    return prompts;
  }
};
