// How a run ended, and the exit code that tells a script or a deployment tool so.
#pragma once

#include <string_view>

namespace setup {

// The outcomes come from one list that tests outside C++ read too: an X-macro is its one form.
// NOLINTBEGIN(cppcoreguidelines-macro-usage)

enum class Outcome {
#define SETUP_OUTCOME(name, code, meaning) name,
#define VERIFY_OUTCOME SETUP_OUTCOME
#include "setup/outcomes.def"
#undef VERIFY_OUTCOME
#undef SETUP_OUTCOME
};

// The program's exit code for the outcome.
[[nodiscard]] constexpr int ExitCodeOf(Outcome outcome) {
  switch (outcome) {
#define SETUP_OUTCOME(name, code, meaning) \
  case Outcome::name:                      \
    return code;
#define VERIFY_OUTCOME SETUP_OUTCOME
#include "setup/outcomes.def"
#undef VERIFY_OUTCOME
#undef SETUP_OUTCOME
  }
  return 1603;
}

// What the outcome means, in the log's words.
[[nodiscard]] constexpr std::wstring_view MeaningOf(Outcome outcome) {
  switch (outcome) {
#define SETUP_OUTCOME(name, code, meaning) \
  case Outcome::name:                      \
    return L"" meaning;
#define VERIFY_OUTCOME SETUP_OUTCOME
#include "setup/outcomes.def"
#undef VERIFY_OUTCOME
#undef SETUP_OUTCOME
  }
  return {};
}

// NOLINTEND(cppcoreguidelines-macro-usage)

// Whether the machine is set up after a run of that outcome.
[[nodiscard]] constexpr bool IsSetUp(Outcome outcome) {
  return outcome == Outcome::kSetUp || outcome == Outcome::kSetUpRestartRequired;
}

}  // namespace setup
