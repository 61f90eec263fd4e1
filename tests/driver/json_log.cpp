#include "json_log.h"

#include <cstdio>

#include "platform/text.h"

namespace mbdriver {
namespace {

std::string JsonString(std::wstring_view text) {
  std::string json = "\"";
  for (const char c : platform::ToUtf8(text)) {
    switch (c) {
      case '"':
        json += "\\\"";
        break;
      case '\\':
        json += "\\\\";
        break;
      case '\b':
        json += "\\b";
        break;
      case '\f':
        json += "\\f";
        break;
      case '\n':
        json += "\\n";
        break;
      case '\r':
        json += "\\r";
        break;
      case '\t':
        json += "\\t";
        break;
      default:
        if (static_cast<unsigned char>(c) < 0x20) {
          char escaped[8];
          std::snprintf(escaped, sizeof(escaped), "\\u%04x", static_cast<unsigned>(c));
          json += escaped;
        } else {
          json += c;  // bytes of UTF-8 sequences included: JSON text is UTF-8
        }
    }
  }
  return json + "\"";
}

}  // namespace

JsonLog::JsonLog(const std::wstring& path)
    : file_(::CreateFileW(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr, CREATE_ALWAYS,
                          FILE_ATTRIBUTE_NORMAL, nullptr)) {}

void JsonLog::BoxShown(const msgbox_driver::Box& box) const {
  Write("{\"caption\":" + JsonString(box.caption) + ",\"text\":" + JsonString(box.text) +
        ",\"buttons\":\"" + box.buttons + "\",\"icon\":\"" + box.icon + "\",\"systemModal\":" +
        (box.systemModal ? "true" : "false") + ",\"code\":" + std::to_string(box.code) + "}");
}

void JsonLog::Exited(DWORD exitCode) const {
  Write("{\"exit\":" + std::to_string(exitCode) + "}");
}

void JsonLog::Killed(std::optional<std::chrono::milliseconds> afterFirstAnswer) const {
  Write("{\"killed\":" + (afterFirstAnswer ? std::to_string(afterFirstAnswer->count()) : "null") +
        "}");
}

void JsonLog::Error(std::wstring_view message) const {
  Write("{\"error\":" + JsonString(message) + "}");
}

void JsonLog::Write(std::string line) const {
  line += '\n';
  DWORD written = 0;
  ::WriteFile(file_.get(), line.data(), static_cast<DWORD>(line.size()), &written, nullptr);
}

}  // namespace mbdriver
