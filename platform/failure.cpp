#include "platform/failure.h"

#include <new>
#include <utility>

#include "platform/text.h"

namespace platform {

Failure::Failure(ErrorCode code, std::wstring description, std::wstring subject)
    : code_(code),
      description_(std::move(description)),
      subject_(std::move(subject)),
      what_(std::to_string(Number(code)) + ": " + ToUtf8(description_)) {}

Failure TextCannotBeCut() {
  return Failure(ErrorCode::kTextCannotBeCut, L"文字列を切り出せません。");
}

Failure NotANumber(std::wstring_view text) {
  return Failure(ErrorCode::kNotANumber, L"数値に変換できません。" + std::wstring(text));
}

Failure NotAsShipped(std::wstring_view file) {
  return Failure(ErrorCode::kNotAsShipped, L"ファイルの内容がSHA256SUMSと一致しません。",
                 std::wstring(file));
}

Failure MalformedLine(std::size_t line, std::wstring_view file) {
  return Failure(ErrorCode::kMalformedLine,
                 std::to_wstring(line) + L"行目の形式が正しくありません。", std::wstring(file));
}

Failure FailureOf(const std::exception& caught) {
  if (const auto* const failure = dynamic_cast<const Failure*>(&caught)) {
    return *failure;
  }
  if (dynamic_cast<const std::bad_alloc*>(&caught) != nullptr) {
    return Failure(ErrorCode::kNotEnoughMemory,
                   L"このコマンドを実行するのに十分な記憶域がありません。");
  }
  return Failure(ErrorCode::kInternalFailure, L"内部エラーが発生しました。");
}

}  // namespace platform
