// Files of the double are real POSIX files; only the hidden, system and read-only attributes,
// which POSIX has not got or does not hold against root, are kept beside them in the double's
// state. The calls that a test can make fail (double_control.h) ask the fault table first; the
// opens, reads and writes that make up a copy here are one CopyFileW there, and ask it once.
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <exception>
#include <initializer_list>
#include <set>
#include <utility>
#include <vector>

#include "platform/failure.h"
#include "platform/files.h"
#include "platform/host/double_state.h"

namespace platform {
namespace {

using host_double::Call;
using host_double::detail::HostPath;
using host_double::detail::TheState;

using enum ErrorCode;

class FileDescriptor {
 public:
  explicit FileDescriptor(int fd) : fd_(fd) {}
  FileDescriptor(FileDescriptor&& other) noexcept : fd_(other.Release()) {}
  ~FileDescriptor() { Reset(); }
  FileDescriptor(const FileDescriptor&) = delete;
  FileDescriptor& operator=(const FileDescriptor&) = delete;
  [[nodiscard]] int get() const { return fd_; }
  int Release() { return std::exchange(fd_, -1); }
  void Reset() {
    if (fd_ >= 0) {
      ::close(fd_);
      fd_ = -1;
    }
  }

 private:
  int fd_;
};

bool IsHostFolder(const std::string& hostPath) {
  struct stat info {};
  return ::stat(hostPath.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

std::string ParentOf(const std::string& hostPath) {
  const auto slash = hostPath.find_last_of('/');
  return slash == std::string::npos ? std::string(".") : hostPath.substr(0, slash);
}

// Throws the failure that the fault table gives the call about the file, if it gives one.
void FailIfFaulted(Call call, std::wstring_view path) {
  if (const auto code = host_double::detail::TakeFault(call, {path})) {
    throw SystemFailure(ErrorCode{*code}, path);
  }
}

// Windows tells a missing file (2) from a missing folder on the way to it (3).
[[noreturn]] void ThrowFileFailure(std::wstring_view path) {
  const int error = errno;
  if ((error == ENOENT && !IsHostFolder(ParentOf(HostPath(path)))) || error == ENOTDIR) {
    throw SystemFailure(kPathNotFound, path);
  }
  errno = error;
  throw LastSystemFailure(path);
}

FileDescriptor OpenOrThrow(std::wstring_view path, int flags) {
  const std::string hostPath = HostPath(path);
  if ((flags & O_ACCMODE) == O_RDONLY && TheState().unreadable.contains(hostPath)) {
    throw SystemFailure(kAccessDenied, path);
  }
  const int fd = ::open(hostPath.c_str(), flags | O_CLOEXEC, 0666);
  if (fd < 0) {
    ThrowFileFailure(path);
  }
  // Opening a folder as a file succeeds on POSIX for reading; Windows refuses it.
  if (IsHostFolder(hostPath)) {
    ::close(fd);
    throw SystemFailure(kAccessDenied, path);
  }
  return FileDescriptor(fd);
}

// Opens a file to be written, created if missing and emptied if not.
FileDescriptor OpenEmptiedOrThrow(std::wstring_view path) {
  if (TheState().readOnly.contains(HostPath(path))) {
    throw SystemFailure(kAccessDenied, path);
  }
  return OpenOrThrow(path, O_WRONLY | O_CREAT | O_TRUNC);
}

// A text file opened to be written, through the fault table.
FileDescriptor OpenForWriting(std::wstring_view path) {
  FailIfFaulted(Call::kOpenForWriting, path);
  return OpenEmptiedOrThrow(path);
}

void WriteAll(int fd, const char* data, std::size_t size, std::wstring_view path) {
  while (size > 0) {
    const ssize_t written = ::write(fd, data, size);
    if (written < 0) {
      if (errno == EINTR) {
        continue;
      }
      throw LastSystemFailure(path);
    }
    // As on Windows: a write that moves nothing would be tried again for ever.
    if (written == 0) {
      throw SystemFailure(kWriteFault, path);
    }
    data += written;
    size -= static_cast<std::size_t>(written);
  }
}

// Plain reads and writes: the double's copies serve the tests and the benchmarks' figures for the
// logic around a copy, which say nothing of CopyFileW's speed however fast the double copies.
void CopyThroughBuffer(int in, std::wstring_view source, int out, std::wstring_view destination) {
  std::vector<char> buffer(1 << 16);
  for (;;) {
    const ssize_t got = ::read(in, buffer.data(), buffer.size());
    if (got < 0) {
      if (errno == EINTR) {
        continue;
      }
      throw LastSystemFailure(source);
    }
    if (got == 0) {
      return;
    }
    WriteAll(out, buffer.data(), static_cast<std::size_t>(got), destination);
  }
}

class FileByteSource : public ByteSource {
 public:
  explicit FileByteSource(std::wstring_view path) : path_(path), fd_(OpenOrThrow(path, O_RDONLY)) {}
  std::size_t Read(std::span<char> buffer) override {
    for (;;) {
      const ssize_t got = ::read(fd_.get(), buffer.data(), buffer.size());
      if (got >= 0) {
        return static_cast<std::size_t>(got);
      }
      if (errno != EINTR) {
        throw LastSystemFailure(path_);
      }
    }
  }
  void Close() {
    if (fd_.get() < 0) {
      return;
    }
    FileDescriptor fd(fd_.Release());
    FailIfFaulted(Call::kClose, path_);
    if (::close(fd.Release()) != 0) {
      throw LastSystemFailure(path_);
    }
  }

 private:
  std::wstring path_;
  FileDescriptor fd_;
};

}  // namespace

// --- Directory listing -------------------------------------------------------------------------

struct DirectoryListing::State {
  std::vector<std::wstring> names;
  std::size_t next = 0;
};

DirectoryListing::DirectoryListing(const std::wstring& pattern, ListingAttributes attributes)
    : state_(std::make_unique<State>()) {
  // A view, so that the name's part below stays a part of the caller's pattern.
  const std::wstring_view whole = pattern;
  const auto separator = whole.find_last_of(L"\\/");
  const std::wstring folder(separator == std::wstring_view::npos ? L"."
                                                                 : whole.substr(0, separator));
  if (const auto code = host_double::detail::TakeFault(Call::kListing, {pattern, folder})) {
    throw SystemFailure(ErrorCode{*code}, folder);
  }
  const std::wstring_view namePattern =
      separator == std::wstring_view::npos ? whole : whole.substr(separator + 1);
  const std::string hostFolder = HostPath(folder);

  DIR* const directory = ::opendir(hostFolder.c_str());
  if (directory == nullptr) {
    if (errno == ENOENT || errno == ENOTDIR) {
      throw SystemFailure(kPathNotFound, folder);  // as FindFirstFileW says of a missing folder
    }
    throw LastSystemFailure(folder);
  }
  const auto& state = TheState();
  const std::string prefix = hostFolder + "/";
  while (const dirent* entry = ::readdir(directory)) {
    const std::string name = entry->d_name;
    if (name == "." || name == "..") {
      continue;
    }
    const std::string hostPath = prefix + name;
    const bool plainFile = !state.hidden.contains(hostPath) && !state.system.contains(hostPath) &&
                           !IsHostFolder(hostPath);
    if (attributes == ListingAttributes::kPlainFiles && !plainFile) {
      continue;
    }
    if (host_double::detail::MatchesPattern(namePattern, name)) {
      state_->names.push_back(host_double::detail::FromHostName(name));
    }
  }
  ::closedir(directory);
  // NTFS lists in name order; the double does the same so that runs are repeatable.
  std::sort(state_->names.begin(), state_->names.end());
}

DirectoryListing::~DirectoryListing() = default;

std::wstring DirectoryListing::Next() {
  if (state_->next >= state_->names.size()) {
    return {};
  }
  return state_->names[state_->next++];
}

// --- Folders and copies ------------------------------------------------------------------------

bool IsFolder(const std::wstring& path) {
  return IsHostFolder(HostPath(path));
}

void MakeFolder(const std::wstring& path) {
  if (::mkdir(HostPath(path).c_str(), 0777) != 0) {
    ThrowFileFailure(path);
  }
}

void CopyFileOverwriting(const std::wstring& source, const std::wstring& destination) {
  // A fault of the copy is about its destination: the source opens, as a test that fails a copy
  // means it. A source that cannot be opened fails about itself below.
  if (const auto code = host_double::detail::TakeFault(Call::kCopyFile, {source, destination})) {
    throw SystemFailure(ErrorCode{*code}, destination);
  }
  FileDescriptor in = OpenOrThrow(source, O_RDONLY);
  FileDescriptor out = OpenEmptiedOrThrow(destination);
  CopyThroughBuffer(in.get(), source, out.get(), destination);
  if (::close(out.Release()) != 0) {
    throw LastSystemFailure(destination);
  }
  // CopyFileW carries hidden and system over to the copy; read-only the platform takes off.
  const std::string from = HostPath(source);
  const std::string to = HostPath(destination);
  auto& state = TheState();
  for (std::set<std::string>* const attribute : {&state.hidden, &state.system}) {
    if (attribute->contains(from)) {
      attribute->insert(to);
    }
  }
}

std::unique_ptr<ByteSource> OpenFileBytes(const std::wstring& path) {
  return std::make_unique<FileByteSource>(path);
}

// --- Text files --------------------------------------------------------------------------------

struct TextFileReader::State {
  explicit State(std::wstring_view path) : source(path), reader(source) {}
  FileByteSource source;
  LineReader reader;
};

TextFileReader::TextFileReader(const std::wstring& path) : state_(std::make_unique<State>(path)) {}
TextFileReader::~TextFileReader() = default;
bool TextFileReader::ReadLine(std::string& line) {
  return state_->reader.ReadLine(line);
}
void TextFileReader::Close() {
  state_->source.Close();
}

struct TextFileWriter::State {
  explicit State(std::wstring_view filePath) : path(filePath), fd(OpenForWriting(filePath)) {}
  // Hands the lines held so far to the file.
  void WriteHeld(int to) {
    if (pending.empty()) {
      return;
    }
    FailIfFaulted(Call::kWrite, path);
    WriteAll(to, pending.data(), pending.size(), path);
    pending.clear();
  }
  std::wstring path;
  FileDescriptor fd;
  std::string pending;
};

TextFileWriter::TextFileWriter(const std::wstring& path) : state_(std::make_unique<State>(path)) {
  state_->pending.reserve(1 << 16);
}

TextFileWriter::~TextFileWriter() {
  if (state_->fd.get() >= 0) {
    try {
      state_->WriteHeld(state_->fd.get());
    } catch (const Failure&) {
      // A destructor cannot report; Close is the place that does.
    }
  }
}

void TextFileWriter::WriteLine(std::string_view ansiLine) {
  state_->pending.append(ansiLine);
  state_->pending.append("\r\n");
  if (state_->pending.size() >= (1 << 16)) {
    state_->WriteHeld(state_->fd.get());
  }
}

void TextFileWriter::Close() {
  if (state_->fd.get() < 0) {
    return;
  }
  // The file goes whether or not the last write succeeds, as its handle does on Windows.
  FileDescriptor fd(state_->fd.Release());
  state_->WriteHeld(fd.get());
  FailIfFaulted(Call::kClose, state_->path);
  if (::close(fd.Release()) != 0) {
    throw LastSystemFailure(state_->path);
  }
}

// --- The log file --------------------------------------------------------------------------------

struct LogFile::State {
  explicit State(std::wstring_view logPath)
      : path(logPath), fd(OpenOrThrow(logPath, O_WRONLY | O_APPEND | O_CREAT)) {}
  std::wstring path;
  FileDescriptor fd;
  bool startedEmpty = false;
};

// O_APPEND writes each piece at the end of the file as it is then, as FILE_APPEND_DATA does.
LogFile::LogFile(const std::wstring& path) : state_(std::make_unique<State>(path)) {
  struct stat info {};
  if (::fstat(state_->fd.get(), &info) != 0) {
    throw LastSystemFailure(path);
  }
  state_->startedEmpty = info.st_size == 0;
}

LogFile::~LogFile() = default;

bool LogFile::StartedEmpty() const {
  return state_->startedEmpty;
}

void LogFile::Append(std::string_view bytes) {
  WriteAll(state_->fd.get(), bytes.data(), bytes.size(), state_->path);
}

}  // namespace platform

namespace host_double {

void SetHidden(const std::wstring& path) {
  detail::TheState().hidden.insert(detail::HostPath(path));
}
void SetSystem(const std::wstring& path) {
  detail::TheState().system.insert(detail::HostPath(path));
}
void SetReadOnly(const std::wstring& path) {
  detail::TheState().readOnly.insert(detail::HostPath(path));
}
void SetUnreadable(const std::wstring& path) {
  detail::TheState().unreadable.insert(detail::HostPath(path));
}
bool IsReadOnly(const std::wstring& path) {
  return detail::TheState().readOnly.contains(detail::HostPath(path));
}

}  // namespace host_double
