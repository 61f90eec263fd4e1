#include "app/session.h"

namespace app {

namespace box = platform::box;

Session::Session(bool quiet, setup::RunLog& log) : quiet_(quiet), log_(log), routed_(*this) {}

// Logged before it is shown, so that a log read while a box waits says what it waits for.
int Session::Take(const std::wstring& prompt, int code,
                  const std::optional<std::wstring>& caption) {
  log_.Message(prompt, code, caption.value_or(platform::kApplicationTitle));
  if (!quiet_) {
    return platform::ShowBox(prompt, code, caption);
  }
  return (code & box::kButtons) == box::kYesNo ? box::kYes : box::kOk;
}

}  // namespace app
