#include "platform/failure.h"

#include <new>

namespace platform {

Failure TextCannotBeCut() {
  return Failure(kTextCannotBeCut, L"文字列を切り出せません。");
}

Failure NotANumber(std::wstring_view text) {
  return Failure(kNotANumber, L"数値に変換できません。" + std::wstring(text));
}

Failure NotAsShipped(std::wstring_view file) {
  return Failure(kNotAsShipped, L"ファイルの内容がSHA256SUMSと一致しません。", std::wstring(file));
}

Failure MalformedLine(std::size_t line, std::wstring_view file) {
  return Failure(kMalformedLine, std::to_wstring(line) + L"行目の形式が正しくありません。",
                 std::wstring(file));
}

Failure FailureOf(const std::exception& caught) {
  if (const auto* const failure = dynamic_cast<const Failure*>(&caught)) {
    return *failure;
  }
  if (dynamic_cast<const std::bad_alloc*>(&caught) != nullptr) {
    return Failure(kNotEnoughMemory, L"このコマンドを実行するのに十分な記憶域がありません。");
  }
  return Failure(kInternalFailure, L"内部エラーが発生しました。");
}

}  // namespace platform
