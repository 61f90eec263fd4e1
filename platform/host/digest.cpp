// The double digests with OpenSSL, where Windows has its CryptoAPI; the bytes come through the
// double's own files, so that a file it cannot open or read fails as on Windows.
#include "platform/digest.h"

#include <openssl/evp.h>

#include <stdexcept>
#include <vector>

#include "platform/files.h"

namespace platform {
namespace {

struct ContextFree {
  void operator()(EVP_MD_CTX* context) const { EVP_MD_CTX_free(context); }
};

void Check(int result) {
  if (result != 1) {
    throw std::runtime_error("OpenSSL failed to digest a file");
  }
}

}  // namespace

struct FileHasher::State {
  std::unique_ptr<EVP_MD_CTX, ContextFree> context{EVP_MD_CTX_new()};
  std::vector<char> piece = std::vector<char>(std::size_t{256} * 1024);
};

FileHasher::FileHasher() : state_(std::make_unique<State>()) {
  if (!state_->context) {
    throw std::bad_alloc();
  }
}

FileHasher::~FileHasher() = default;

Sha256 FileHasher::Sha256Of(const std::wstring& path) {
  EVP_MD_CTX* const context = state_->context.get();
  Check(EVP_DigestInit_ex(context, EVP_sha256(), nullptr));
  const std::unique_ptr<ByteSource> file = OpenFileBytes(path);
  for (std::size_t read = 0; (read = file->Read(state_->piece)) != 0;) {
    Check(EVP_DigestUpdate(context, state_->piece.data(), read));
  }
  Sha256 digest{};
  unsigned int size = 0;
  Check(EVP_DigestFinal_ex(context, digest.data(), &size));
  return digest;
}

}  // namespace platform
