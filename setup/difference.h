// A difference between a machine and what a run from the distribution leaves on it: what the
// check of a machine (/verify) finds, and its log and its box say.
#pragma once

#include <optional>
#include <string>

namespace setup {

// One place where the machine is not as a run leaves it.
struct Difference {
  enum class Kind {
    kValue,    // a value other than the one a run writes
    kMissing,  // a product, a file or the data source that is not there
    kContent,  // a file whose bytes are not those a run leaves
  };
  Kind kind = Kind::kMissing;
  std::wstring what;      // the value's name, the file's path, the product's or data source's name
  std::wstring expected;  // kValue: what a run writes
  std::optional<std::wstring> found;  // kValue: what is there; nothing where there is none
  bool operator==(const Difference&) const = default;
};

}  // namespace setup
