#include "platform/digest.h"

#include <windows.h>
// After windows.h, which WIN32_LEAN_AND_MEAN keeps from including it.
#include <wincrypt.h>

#include <vector>

#include "platform/failure.h"
#include "platform/files.h"
#include "platform/win32/unique_handle.h"

namespace platform {
namespace {

constexpr std::size_t kPieceSize = std::size_t{256} * 1024;

// The AES provider is the one of ADVAPI32's CryptoAPI that has SHA-256 (from Windows XP SP3 on).
// A verification context holds no key, so it needs no key container and no profile: SYSTEM,
// which a deployment tool runs the program as, gets one like any administrator.
win32::UniqueCryptProvider Sha256Provider() {
  HCRYPTPROV provider = 0;
  if (!::CryptAcquireContextW(&provider, nullptr, nullptr, PROV_RSA_AES,
                              CRYPT_VERIFYCONTEXT | CRYPT_SILENT)) {
    throw LastSystemFailure();
  }
  return win32::UniqueCryptProvider(provider);
}

}  // namespace

struct FileHasher::State {
  win32::UniqueCryptProvider provider = Sha256Provider();
  std::vector<char> piece = std::vector<char>(kPieceSize);
};

FileHasher::FileHasher() : state_(std::make_unique<State>()) {}

FileHasher::~FileHasher() = default;

Sha256 FileHasher::Sha256Of(const std::wstring& path) {
  HCRYPTHASH created = 0;
  if (!::CryptCreateHash(state_->provider.get(), CALG_SHA_256, 0, 0, &created)) {
    throw LastSystemFailure();
  }
  const win32::UniqueCryptHash hash(created);
  const std::unique_ptr<ByteSource> file = OpenFileBytes(path);
  for (std::size_t read = 0; (read = file->Read(state_->piece)) != 0;) {
    if (!::CryptHashData(hash.get(), reinterpret_cast<const BYTE*>(state_->piece.data()),
                         static_cast<DWORD>(read), 0)) {
      throw LastSystemFailure();
    }
  }
  Sha256 digest{};
  DWORD size = digest.size();
  if (!::CryptGetHashParam(hash.get(), HP_HASHVAL, digest.data(), &size, 0)) {
    throw LastSystemFailure();
  }
  return digest;
}

}  // namespace platform
