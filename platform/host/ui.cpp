#include <stdexcept>

#include "platform/host/double_state.h"
#include "platform/ui.h"

namespace platform {

int ShowBox(const std::wstring& prompt, int code, const std::optional<std::wstring>& caption) {
  auto& state = host_double::detail::TheState();
  state.shown.push_back({prompt, code, caption});
  if (!state.answers.empty()) {
    const int answer = state.answers.front();
    state.answers.pop_front();
    return answer;
  }
  if ((code & 0xF) == box::kOkOnly) {
    return box::kOk;
  }
  throw std::logic_error("a Yes/No box was shown without a scripted answer");
}

bool CanShowBoxes() {
  return host_double::detail::TheState().desktopVisible;
}

void SetBusyPointer(bool busy) {
  host_double::detail::TheState().busy.push_back(busy);
}

}  // namespace platform

namespace host_double {

void ScriptAnswers(std::vector<int> answers) {
  detail::TheState().answers.assign(answers.begin(), answers.end());
}
const std::vector<ShownMessage>& ShownMessages() {
  return detail::TheState().shown;
}
void SetDesktopVisible(bool visible) {
  detail::TheState().desktopVisible = visible;
}

const std::vector<bool>& BusyPointerChanges() {
  return detail::TheState().busy;
}

}  // namespace host_double
