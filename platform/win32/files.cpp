#include "platform/files.h"

#include <windows.h>

#include <algorithm>
#include <string>

#include "platform/failure.h"
#include "platform/win32/unique_handle.h"

namespace platform {
namespace {

constexpr std::size_t kWriteBufferSize = std::size_t{64} * 1024;

// A single ReadFile or WriteFile moves at most a DWORD of bytes; larger spans go in pieces.
DWORD PieceSize(std::size_t size) {
  return static_cast<DWORD>(std::min<std::size_t>(size, 1u << 30));
}

bool IsListed(const WIN32_FIND_DATAW& entry, ListingAttributes attributes) {
  const std::wstring_view name = entry.cFileName;
  if (name == L"." || name == L"..") {
    return false;
  }
  if ((entry.dwFileAttributes & (FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM)) != 0) {
    return false;
  }
  const bool isFolder = (entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
  return !isFolder || attributes == ListingAttributes::kWithFolders;
}

// The errors that only say that nothing (more) matches.
bool MeansNoMatch(DWORD error) {
  return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND ||
         error == ERROR_NO_MORE_FILES;
}

class FileByteSource : public ByteSource {
 public:
  explicit FileByteSource(HANDLE file) : file_(file) {}

  std::size_t Read(std::span<char> buffer) override {
    DWORD read = 0;
    if (!::ReadFile(file_, buffer.data(), PieceSize(buffer.size()), &read, nullptr)) {
      throw LastSystemFailure();
    }
    return read;
  }

 private:
  HANDLE file_;
};

win32::UniqueFile OpenForReading(std::wstring_view path) {
  win32::UniqueFile file(::CreateFileW(std::wstring(path).c_str(), GENERIC_READ, FILE_SHARE_READ,
                                       nullptr, OPEN_EXISTING, FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
  if (!file) {
    throw LastSystemFailure();
  }
  return file;
}

// OPEN_ALWAYS and truncating by hand, because CREATE_ALWAYS refuses a file that is hidden or
// system; emptying in place also keeps the file's attributes.
win32::UniqueFile OpenEmptiedForWriting(std::wstring_view path) {
  win32::UniqueFile file(::CreateFileW(std::wstring(path).c_str(), GENERIC_WRITE, FILE_SHARE_READ,
                                       nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file || !::SetEndOfFile(file.get())) {
    throw LastSystemFailure();
  }
  return file;
}

void WriteAll(HANDLE file, std::string_view bytes) {
  while (!bytes.empty()) {
    DWORD written = 0;
    if (!::WriteFile(file, bytes.data(), PieceSize(bytes.size()), &written, nullptr)) {
      throw LastSystemFailure();
    }
    bytes.remove_prefix(written);
  }
}

}  // namespace

struct DirectoryListing::State {
  win32::UniqueFind find;
  WIN32_FIND_DATAW entry{};
  bool entryPending = false;  // the entry of FindFirstFileW, not yet looked at
  ListingAttributes attributes = ListingAttributes::kPlainFiles;

  // Moves to the next entry of the folder; false when none is left.
  bool Advance() {
    if (entryPending) {
      entryPending = false;
      return true;
    }
    if (!find) {
      return false;
    }
    if (!::FindNextFileW(find.get(), &entry)) {
      const DWORD error = ::GetLastError();
      find.reset();
      if (!MeansNoMatch(error)) {
        throw SystemFailure(error);
      }
      return false;
    }
    return true;
  }
};

DirectoryListing::DirectoryListing(std::wstring_view pattern, ListingAttributes attributes)
    : state_(std::make_unique<State>()) {
  state_->attributes = attributes;
  state_->find.reset(::FindFirstFileW(std::wstring(pattern).c_str(), &state_->entry));
  if (!state_->find) {
    const DWORD error = ::GetLastError();
    if (!MeansNoMatch(error)) {
      throw SystemFailure(error);
    }
    return;
  }
  state_->entryPending = true;
}

DirectoryListing::~DirectoryListing() = default;

std::wstring DirectoryListing::Next() {
  while (state_->Advance()) {
    if (IsListed(state_->entry, state_->attributes)) {
      return state_->entry.cFileName;
    }
  }
  return {};
}

void MakeFolder(std::wstring_view path) {
  const std::wstring folder(path);
  if (!::CreateDirectoryW(folder.c_str(), nullptr)) {
    throw LastSystemFailure();
  }
}

void CopyFileOverwriting(std::wstring_view source, std::wstring_view destination) {
  const std::wstring from(source);
  const std::wstring to(destination);
  if (!::CopyFileW(from.c_str(), to.c_str(), FALSE)) {
    throw LastSystemFailure();
  }
}

struct TextFileReader::State {
  explicit State(std::wstring_view path)
      : file(OpenForReading(path)), source(file.get()), lines(source) {}

  win32::UniqueFile file;
  FileByteSource source;
  LineReader lines;
};

TextFileReader::TextFileReader(std::wstring_view path) : state_(std::make_unique<State>(path)) {}

TextFileReader::~TextFileReader() = default;

bool TextFileReader::AtEnd() {
  return state_->lines.AtEnd();
}

bool TextFileReader::ReadLine(std::string& line) {
  return state_->lines.ReadLine(line);
}

struct TextFileWriter::State {
  explicit State(std::wstring_view path) : file(OpenEmptiedForWriting(path)) {
    pending.reserve(kWriteBufferSize);
  }

  void Flush() {
    WriteAll(file.get(), pending);
    pending.clear();
  }

  win32::UniqueFile file;
  std::string pending;
};

TextFileWriter::TextFileWriter(std::wstring_view path) : state_(std::make_unique<State>(path)) {}

TextFileWriter::~TextFileWriter() {
  if (!state_->file) {
    return;
  }
  try {
    state_->Flush();
  } catch (const Failure&) {
    // Nothing can be reported from here; Close is the way to learn of a failed write.
  }
}

void TextFileWriter::WriteLine(std::string_view ansiLine) {
  if (!state_->file) {
    throw SystemFailure(ERROR_INVALID_HANDLE);
  }
  state_->pending.append(ansiLine);
  state_->pending.append("\r\n");
  if (state_->pending.size() >= kWriteBufferSize) {
    state_->Flush();
  }
}

void TextFileWriter::Close() {
  if (!state_->file) {
    return;
  }
  // The handle goes whether or not the last write succeeds.
  win32::UniqueFile file = std::move(state_->file);
  WriteAll(file.get(), state_->pending);
  state_->pending.clear();
  if (!::CloseHandle(file.release())) {
    throw LastSystemFailure();
  }
}

struct LogFile::State {
  win32::UniqueFile file;
  bool startedEmpty = false;
};

// Appending only: Windows then writes each piece at the end of the file as it is at that moment,
// after whatever another copy of the program appended meanwhile.
LogFile::LogFile(std::wstring_view path) : state_(std::make_unique<State>()) {
  state_->file.reset(::CreateFileW(
      std::wstring(path).c_str(), FILE_APPEND_DATA | FILE_READ_ATTRIBUTES,
      FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
  LARGE_INTEGER size{};
  if (!state_->file || !::GetFileSizeEx(state_->file.get(), &size)) {
    throw LastSystemFailure();
  }
  state_->startedEmpty = size.QuadPart == 0;
}

LogFile::~LogFile() = default;

bool LogFile::StartedEmpty() const {
  return state_->startedEmpty;
}

void LogFile::Append(std::string_view bytes) {
  WriteAll(state_->file.get(), bytes);
}

}  // namespace platform
