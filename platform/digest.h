// The SHA-256 of a file: what proves that a file of the distribution is the one that was shipped.
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <string>

namespace platform {

using Sha256 = std::array<std::uint8_t, 32>;

// Digests files with the system's own cryptography, which needs no DLL beyond those the program
// already loads. One object serves many files, so the system's provider is opened once.
class FileHasher {
 public:
  FileHasher();
  ~FileHasher();
  FileHasher(const FileHasher&) = delete;
  FileHasher& operator=(const FileHasher&) = delete;

  // The SHA-256 of the file's bytes, read once from start to end. Fails about the file if it
  // cannot be opened or read.
  [[nodiscard]] Sha256 Sha256Of(const std::wstring& path);

 private:
  struct State;
  std::unique_ptr<State> state_;
};

}  // namespace platform
