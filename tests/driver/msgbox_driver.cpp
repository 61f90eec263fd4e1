#include "msgbox_driver.h"

#include <array>
#include <cstdlib>
#include <thread>

namespace msgbox_driver {
namespace {

using Clock = std::chrono::steady_clock;

// The static controls of a message box. Windows numbers the icon 20; Wine 8 numbers it stc1.
constexpr int kTextControl = 0xFFFF;
constexpr std::array kIconControls{20, 0x0440};

// A box whose thread does not take a message within this time is hung, not slow.
constexpr UINT kMessageTimeoutMs = 5000;
// Its text is waited for longer, and without Wine's guess that a thread that has taken no message
// for five seconds is hung: on a loaded machine a box's thread can be that slow, and a text that
// was not read is no empty text.
constexpr UINT kTextTimeoutMs = 60000;

// How long a box may take to paint itself before it is read as it is.
constexpr std::chrono::milliseconds kPaintTimeout{3000};

struct IconKind {
  LPCWSTR resource;
  const char* name;
  int code;
};

const std::array<IconKind, 4> kIconKinds{{
    {IDI_HAND, "critical", MB_ICONHAND},
    {IDI_QUESTION, "question", MB_ICONQUESTION},
    {IDI_EXCLAMATION, "exclamation", MB_ICONEXCLAMATION},
    {IDI_ASTERISK, "information", MB_ICONASTERISK},
}};

struct ButtonSet {
  std::vector<int> ids;  // ascending
  const char* name;
  int code;
};

const std::array<ButtonSet, 8> kButtonSets{{
    {{IDOK}, "ok", MB_OK},
    // Windows gives the only button of an OK box the id of Cancel, so that Esc closes it.
    {{IDCANCEL}, "ok", MB_OK},
    {{IDOK, IDCANCEL}, "okcancel", MB_OKCANCEL},
    {{IDABORT, IDRETRY, IDIGNORE}, "abortretryignore", MB_ABORTRETRYIGNORE},
    {{IDCANCEL, IDYES, IDNO}, "yesnocancel", MB_YESNOCANCEL},
    {{IDYES, IDNO}, "yesno", MB_YESNO},
    {{IDCANCEL, IDRETRY}, "retrycancel", MB_RETRYCANCEL},
    {{IDCANCEL, IDTRYAGAIN, IDCONTINUE}, "canceltrycontinue", MB_CANCELTRYCONTINUE},
}};

struct Answer {
  std::string_view name;
  int buttonId;
};

constexpr std::array<Answer, 9> kAnswers{{
    {"ok", IDOK},
    {"cancel", IDCANCEL},
    {"abort", IDABORT},
    {"retry", IDRETRY},
    {"ignore", IDIGNORE},
    {"yes", IDYES},
    {"no", IDNO},
    {"tryagain", IDTRYAGAIN},
    {"continue", IDCONTINUE},
}};

HICON SystemIcon(const IconKind& kind) {
  return ::LoadIconW(nullptr, kind.resource);
}

bool IsDialog(HWND window) {
  wchar_t className[16] = {};
  return ::GetClassNameW(window, className, static_cast<int>(std::size(className))) > 0 &&
         std::wstring_view(className) == L"#32770";
}

std::wstring CaptionOf(HWND window) {
  std::wstring text(static_cast<std::size_t>(::GetWindowTextLengthW(window)) + 1, L'\0');
  text.resize(static_cast<std::size_t>(
      ::GetWindowTextW(window, text.data(), static_cast<int>(text.size()))));
  return text;
}

// A control of another process answers WM_GETTEXT only when asked directly; GetWindowText would
// not ask it.
std::optional<std::wstring> ControlText(HWND control) {
  DWORD_PTR length = 0;
  if (!::SendMessageTimeoutW(control, WM_GETTEXTLENGTH, 0, 0, SMTO_NORMAL, kTextTimeoutMs,
                             &length)) {
    return std::nullopt;
  }
  std::wstring text(length + 1, L'\0');
  DWORD_PTR copied = 0;
  if (!::SendMessageTimeoutW(control, WM_GETTEXT, text.size(),
                             reinterpret_cast<LPARAM>(text.data()), SMTO_NORMAL, kTextTimeoutMs,
                             &copied)) {
    return std::nullopt;
  }
  text.resize(std::min<std::size_t>(copied, length));
  return text;
}

HWND VisibleControl(HWND box, int id) {
  HWND control = ::GetDlgItem(box, id);
  return control != nullptr && ::IsWindowVisible(control) ? control : nullptr;
}

const char* ButtonsOf(HWND box) {
  std::vector<int> present;
  for (int id = IDOK; id <= IDCONTINUE; ++id) {
    if (VisibleControl(box, id) != nullptr) {
      present.push_back(id);
    }
  }
  for (const ButtonSet& set : kButtonSets) {
    if (set.ids == present) {
      return set.name;
    }
  }
  return "unknown";
}

// Pixels that an icon covers fully come out the same over black and over white; the rest show
// the background through and depend on where the icon is drawn.
double Mismatch(const Image& seen, HICON candidate) {
  const Image overBlack = RenderIcon(candidate, seen.width, seen.height, RGB(0, 0, 0));
  const Image overWhite = RenderIcon(candidate, seen.width, seen.height, RGB(255, 255, 255));
  if (overBlack.empty() || overWhite.empty()) {
    return 1.0;
  }
  std::size_t opaque = 0;
  std::size_t differing = 0;
  for (std::size_t i = 0; i + 2 < seen.pixels.size(); i += 3) {
    bool covered = true;
    bool differs = false;
    for (std::size_t c = i; c < i + 3; ++c) {
      covered = covered && overBlack.pixels[c] == overWhite.pixels[c];
      differs = differs || std::abs(int{overBlack.pixels[c]} - int{seen.pixels[c]}) > 24;
    }
    if (covered) {
      ++opaque;
      differing += differs ? 1 : 0;
    }
  }
  // A system icon covers most of its square; one that covers little cannot be told apart.
  if (opaque * 4 < seen.pixels.size() / 3) {
    return 1.0;
  }
  return static_cast<double>(differing) / static_cast<double>(opaque);
}

// Wine loads the shared system icons once per process, so the handle a box holds matches this
// process's handle only on Windows. Elsewhere the icon is told by how it looks on the screen.
const char* IconLooksLike(const Image& seen) {
  const char* best = "unknown";
  // The right icon matches to the pixel; the nearest wrong one, the question mark against the
  // information sign, differs in over a tenth of its pixels.
  double bestMismatch = 0.03;
  for (const IconKind& kind : kIconKinds) {
    const double mismatch = Mismatch(seen, SystemIcon(kind));
    if (mismatch < bestMismatch) {
      best = kind.name;
      bestMismatch = mismatch;
    }
  }
  return best;
}

const char* IconOf(HWND box, const Image& picture) {
  HWND control = nullptr;
  for (const int id : kIconControls) {
    control = control != nullptr ? control : VisibleControl(box, id);
  }
  DWORD_PTR shown = 0;
  if (control == nullptr ||
      !::SendMessageTimeoutW(control, STM_GETICON, 0, 0, SMTO_ABORTIFHUNG, kMessageTimeoutMs,
                             &shown) ||
      shown == 0) {
    return "none";
  }
  for (const IconKind& kind : kIconKinds) {
    if (reinterpret_cast<HICON>(shown) == SystemIcon(kind)) {
      return kind.name;
    }
  }
  RECT boxArea{};
  RECT iconArea{};
  if (!::GetWindowRect(box, &boxArea) || !::GetWindowRect(control, &iconArea)) {
    return "unknown";
  }
  ::OffsetRect(&iconArea, -boxArea.left, -boxArea.top);
  return IconLooksLike(Crop(picture, iconArea));
}

Image CaptureWindow(HWND window) {
  RECT area{};
  return ::GetWindowRect(window, &area) ? CaptureScreen(area) : Image{};
}

// A box is visible before it has painted, and under Wine its pixels reach the screen a little
// after it has: it is read once two looks in a row agree and show more than a blank.
Image PaintedPicture(HWND box) {
  // Another box of the same program, or of a second copy of it, may lie over this one.
  ::SetWindowPos(box, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
  DWORD_PTR ignored = 0;
  ::SendMessageTimeoutW(box, WM_NULL, 0, 0, SMTO_ABORTIFHUNG, kMessageTimeoutMs, &ignored);
  const auto deadline = Clock::now() + kPaintTimeout;
  Image previous = CaptureWindow(box);
  for (;;) {
    std::this_thread::sleep_for(2 * kPollInterval);
    Image current = CaptureWindow(box);
    if ((current == previous && !IsUniform(current)) || Clock::now() >= deadline) {
      return current;
    }
    previous = std::move(current);
  }
}

struct BoxSearch {
  DWORD processId;
  std::vector<HWND> found;
};

// A named CALLBACK, not a lambda: the 32-bit build calls it with the stdcall convention, to which
// a lambda does not convert.
BOOL CALLBACK CollectBox(HWND window, LPARAM context) {
  auto& search = *reinterpret_cast<BoxSearch*>(context);
  DWORD owner = 0;
  ::GetWindowThreadProcessId(window, &owner);
  if (owner == search.processId && ::IsWindowVisible(window) && IsDialog(window)) {
    search.found.push_back(window);
  }
  return TRUE;
}

}  // namespace

std::vector<HWND> FindBoxes(DWORD processId) {
  BoxSearch search{processId, {}};
  ::EnumWindows(CollectBox, reinterpret_cast<LPARAM>(&search));
  return search.found;
}

std::optional<Box> ReadBox(HWND window) {
  Box box;
  box.caption = CaptionOf(window);
  std::optional<std::wstring> text = ControlText(::GetDlgItem(window, kTextControl));
  if (!text) {
    return std::nullopt;
  }
  box.text = std::move(*text);
  box.buttons = ButtonsOf(window);
  box.systemModal = (::GetWindowLongPtrW(window, GWL_EXSTYLE) & WS_EX_TOPMOST) != 0;
  // On a busy machine the frame and the text may reach the screen while the icon has not: a
  // picture whose icon cannot be told yet is taken again while the box has time to paint.
  const auto deadline = Clock::now() + kPaintTimeout;
  do {
    box.picture = PaintedPicture(window);
    box.icon = IconOf(window, box.picture);
  } while (std::string_view(box.icon) == "unknown" && Clock::now() < deadline);
  box.code = BoxCode(box.buttons, box.icon, box.systemModal);
  return box;
}

int BoxCode(std::string_view buttons, std::string_view icon, bool systemModal) {
  const ButtonSet* buttonSet = nullptr;
  for (const ButtonSet& set : kButtonSets) {
    buttonSet = buttonSet == nullptr && set.name == buttons ? &set : buttonSet;
  }
  const IconKind* iconKind = nullptr;
  for (const IconKind& kind : kIconKinds) {
    iconKind = iconKind == nullptr && kind.name == icon ? &kind : iconKind;
  }
  if (buttonSet == nullptr || (iconKind == nullptr && icon != "none")) {
    return -1;
  }
  return buttonSet->code + (iconKind != nullptr ? iconKind->code : 0) +
         (systemModal ? MB_SYSTEMMODAL : 0);
}

std::optional<int> AnswerButton(HWND box, std::string_view answer) {
  for (const Answer& known : kAnswers) {
    if (known.name == answer && VisibleControl(box, known.buttonId) != nullptr) {
      return known.buttonId;
    }
  }
  // The lone button of an OK box on Windows has the id of Cancel.
  if (answer == "ok" && std::string_view(ButtonsOf(box)) == "ok") {
    return IDCANCEL;
  }
  return std::nullopt;
}

bool PressButton(HWND box, int buttonId) {
  HWND button = VisibleControl(box, buttonId);
  // The click the button would report to its dialog. Posted, unlike BM_CLICK it needs neither the
  // focus nor a mouse over the box.
  return button != nullptr && ::PostMessageW(box, WM_COMMAND, MAKEWPARAM(buttonId, BN_CLICKED),
                                             reinterpret_cast<LPARAM>(button));
}

bool WaitUntilClosed(HWND box, std::chrono::milliseconds timeout) {
  const auto deadline = Clock::now() + timeout;
  while (::IsWindow(box) && ::IsWindowVisible(box)) {
    if (Clock::now() >= deadline) {
      return false;
    }
    std::this_thread::sleep_for(kPollInterval);
  }
  return true;
}

}  // namespace msgbox_driver
