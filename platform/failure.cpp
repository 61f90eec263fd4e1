#include "platform/failure.h"

namespace platform {

Failure TextCannotBeCut() {
  return Failure(kTextCannotBeCut, L"文字列を切り出せません。");
}

Failure NotANumber(std::wstring_view text) {
  return Failure(kNotANumber, L"数値に変換できません。" + std::wstring(text));
}

}  // namespace platform
