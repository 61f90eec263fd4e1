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
  constexpr DWORD kNotPlain =
      FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_DIRECTORY;
  return attributes == ListingAttributes::kEveryName || (entry.dwFileAttributes & kNotPlain) == 0;
}

// The errors that only say that nothing (more) matches. A folder that is not there
// (ERROR_PATH_NOT_FOUND) is no empty folder.
bool MeansNoMatch(DWORD error) {
  return error == ERROR_FILE_NOT_FOUND || error == ERROR_NO_MORE_FILES;
}

// The folder of a listing's pattern, which its failures name: "C:\dir" of "C:\dir\*.*".
std::wstring FolderOf(std::wstring_view pattern) {
  const auto separator = pattern.find_last_of(L"\\/");
  return std::wstring(separator == std::wstring_view::npos ? pattern
                                                           : pattern.substr(0, separator));
}

win32::UniqueFile OpenForReading(const std::wstring& path) {
  win32::UniqueFile file(::CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                       OPEN_EXISTING, FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
  if (!file) {
    throw LastSystemFailure(path);
  }
  return file;
}

// Whether a file opens for reading as a copy opens its source, sharing it with other readers
// only, so that a source that the copy could not open is never taken for a readable one.
bool CanBeRead(const std::wstring& path) {
  const win32::UniqueFile file(::CreateFileW(path.c_str(), GENERIC_READ,
                                             FILE_SHARE_READ | FILE_SHARE_DELETE, nullptr,
                                             OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
  return static_cast<bool>(file);
}

class FileByteSource : public ByteSource {
 public:
  explicit FileByteSource(const std::wstring& path) : path_(path), file_(OpenForReading(path)) {}

  std::size_t Read(std::span<char> buffer) override {
    DWORD read = 0;
    if (!::ReadFile(file_.get(), buffer.data(), PieceSize(buffer.size()), &read, nullptr)) {
      throw LastSystemFailure(path_);
    }
    return read;
  }

  void Close() {
    if (file_ && !::CloseHandle(file_.release())) {
      throw LastSystemFailure(path_);
    }
  }

 private:
  std::wstring path_;
  win32::UniqueFile file_;
};

// OPEN_ALWAYS and truncating by hand, because CREATE_ALWAYS refuses a file that is hidden or
// system; emptying in place also keeps the file's attributes.
win32::UniqueFile OpenEmptiedForWriting(const std::wstring& path) {
  win32::UniqueFile file(::CreateFileW(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr,
                                       OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file || !::SetEndOfFile(file.get())) {
    throw LastSystemFailure(path);
  }
  return file;
}

void WriteAll(HANDLE file, std::string_view bytes, std::wstring_view path) {
  while (!bytes.empty()) {
    DWORD written = 0;
    if (!::WriteFile(file, bytes.data(), PieceSize(bytes.size()), &written, nullptr)) {
      throw LastSystemFailure(path);
    }
    // A write that succeeds with nothing written would be tried again for ever.
    if (written == 0) {
      throw SystemFailure(ErrorCode::kWriteFault, path);
    }
    bytes.remove_prefix(written);
  }
}

}  // namespace

struct DirectoryListing::State {
  std::wstring pattern;
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
        throw SystemFailure(ErrorCode{error}, FolderOf(pattern));
      }
      return false;
    }
    return true;
  }
};

DirectoryListing::DirectoryListing(const std::wstring& pattern, ListingAttributes attributes)
    : state_(std::make_unique<State>()) {
  state_->pattern = pattern;
  state_->attributes = attributes;
  state_->find.reset(::FindFirstFileW(pattern.c_str(), &state_->entry));
  if (!state_->find) {
    const DWORD error = ::GetLastError();
    if (!MeansNoMatch(error)) {
      throw SystemFailure(ErrorCode{error}, FolderOf(pattern));
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

bool IsFolder(const std::wstring& path) {
  const DWORD attributes = ::GetFileAttributesW(path.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

void MakeFolder(const std::wstring& path) {
  if (!::CreateDirectoryW(path.c_str(), nullptr)) {
    throw LastSystemFailure(path);
  }
}

void CopyFileOverwriting(const std::wstring& source, const std::wstring& destination) {
  if (!::CopyFileW(source.c_str(), destination.c_str(), FALSE)) {
    const DWORD error = ::GetLastError();
    // CopyFileW does not say which of the two files it failed on. A source that cannot be opened
    // for reading is the one: missing, or visible but not readable (no read right on a share, a
    // file another account encrypted, one held without sharing). Otherwise it is the copy. The
    // failure report names it: app/failure_policy.h.
    throw SystemFailure(ErrorCode{error}, CanBeRead(source) ? destination : source);
  }
  // CopyFileW gives the copy the attributes of its source. From a CD, a read-only share or a
  // folder of files marked read-only, that would deploy files that the run must rewrite next and
  // that a later run could not overwrite. Hidden and system stay as the copy has them.
  const DWORD attributes = ::GetFileAttributesW(destination.c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES) {
    throw LastSystemFailure(destination);
  }
  if ((attributes & FILE_ATTRIBUTE_READONLY) != 0) {
    // No attribute at all must be said as FILE_ATTRIBUTE_NORMAL.
    const DWORD writable = attributes & ~DWORD{FILE_ATTRIBUTE_READONLY};
    if (!::SetFileAttributesW(destination.c_str(),
                              writable == 0 ? FILE_ATTRIBUTE_NORMAL : writable)) {
      throw LastSystemFailure(destination);
    }
  }
}

std::unique_ptr<ByteSource> OpenFileBytes(const std::wstring& path) {
  return std::make_unique<FileByteSource>(path);
}

struct TextFileReader::State {
  explicit State(const std::wstring& path) : source(path), lines(source) {}

  FileByteSource source;
  LineReader lines;
};

TextFileReader::TextFileReader(const std::wstring& path) : state_(std::make_unique<State>(path)) {}

TextFileReader::~TextFileReader() = default;

bool TextFileReader::ReadLine(std::string& line) {
  return state_->lines.ReadLine(line);
}

void TextFileReader::Close() {
  state_->source.Close();
}

struct TextFileWriter::State {
  explicit State(const std::wstring& filePath) : path(filePath), file(OpenEmptiedForWriting(path)) {
    pending.reserve(kWriteBufferSize);
  }

  void Flush() {
    WriteAll(file.get(), pending, path);
    pending.clear();
  }

  std::wstring path;
  win32::UniqueFile file;
  std::string pending;
};

TextFileWriter::TextFileWriter(const std::wstring& path) : state_(std::make_unique<State>(path)) {}

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
    throw SystemFailure(ErrorCode::kInvalidHandle, state_->path);
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
  WriteAll(file.get(), state_->pending, state_->path);
  state_->pending.clear();
  if (!::CloseHandle(file.release())) {
    throw LastSystemFailure(state_->path);
  }
}

struct LogFile::State {
  std::wstring path;
  win32::UniqueFile file;
  bool startedEmpty = false;
};

// Appending only: Windows then writes each piece at the end of the file as it is at that moment,
// after whatever another copy of the program appended meanwhile.
LogFile::LogFile(const std::wstring& path) : state_(std::make_unique<State>()) {
  state_->path = path;
  state_->file.reset(::CreateFileW(path.c_str(), FILE_APPEND_DATA | FILE_READ_ATTRIBUTES,
                                   FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_ALWAYS,
                                   FILE_ATTRIBUTE_NORMAL, nullptr));
  LARGE_INTEGER size{};
  if (!state_->file || !::GetFileSizeEx(state_->file.get(), &size)) {
    throw LastSystemFailure(path);
  }
  state_->startedEmpty = size.QuadPart == 0;
}

LogFile::~LogFile() = default;

bool LogFile::StartedEmpty() const {
  return state_->startedEmpty;
}

void LogFile::Append(std::string_view bytes) {
  WriteAll(state_->file.get(), bytes, state_->path);
}

}  // namespace platform
