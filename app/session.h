// How the run's messages reach the administrator who started it: at the screen, or (quiet) only
// in the log, for a run that a deployment tool starts where nobody sees a box.
#pragma once

#include <optional>
#include <string>

#include "platform/ui.h"
#include "setup/run_log.h"

namespace app {

// Takes every message of the program while it lives: writes each to the run's log, and shows it
// unless the run is quiet. A quiet run answers as a user who goes along with it would: OK, and Yes
// to the question.
class Session final : public platform::MessageSink {
 public:
  [[nodiscard]] Session(bool quiet, setup::RunLog& log);

  int Take(const std::wstring& prompt, int code,
           const std::optional<std::wstring>& caption) override;

 private:
  bool quiet_;
  setup::RunLog& log_;
  platform::RoutedMessages routed_;
};

}  // namespace app
