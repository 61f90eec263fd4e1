// Failures of the double carry the Win32 codes and the texts that a Japanese Windows gives.
#include <cerrno>
#include <string>

#include "platform/failure.h"

namespace platform {
namespace {

std::wstring DescriptionOf(ErrorCode code) {
  switch (Number(code)) {
    case 2:
      return L"指定されたファイルが見つかりません。";
    case 3:
      return L"指定されたパスが見つかりません。";
    case 5:
      return L"アクセスが拒否されました。";
    case 19:
      return L"メディアは書き込み禁止になっています。";
    case 31:
      return L"システムに接続されたデバイスが機能していません。";
    case 32:
      return L"プロセスはファイルにアクセスできません。別のプロセスが使用中です。";
    case 112:
      return L"ディスクに十分な空き領域がありません。";
    case 183:
      return L"既に存在するファイルを作成することはできません。";
    case 206:
      return L"ファイル名または拡張子が長すぎます。";
    default:
      return L"不明なエラーです。";
  }
}

std::uint32_t Win32ErrorFromErrno(int error) {
  switch (error) {
    case ENOENT:
      return 2;
    case ENOTDIR:
      return 3;
    case EACCES:
    case EPERM:
    case EISDIR:
      return 5;
    case EROFS:
      return 19;
    case ENOSPC:
      return 112;
    case EEXIST:
      return 183;
    case ENAMETOOLONG:
      return 206;
    default:
      return 31;
  }
}

}  // namespace

Failure SystemFailure(ErrorCode code, std::wstring_view subject) {
  return Failure(code, DescriptionOf(code), std::wstring(subject));
}

Failure LastSystemFailure(std::wstring_view subject) {
  return SystemFailure(ErrorCode{Win32ErrorFromErrno(errno)}, subject);
}

}  // namespace platform
