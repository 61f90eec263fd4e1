// Folders, file copies, ANSI sequential text files and the file a log is appended to. Paths come
// as strings, not views: Windows reads a name up to its NUL, which a view may lack.
#pragma once

#include <memory>
#include <string>
#include <string_view>

#include "platform/line_reader.h"

namespace platform {

// What a listing yields besides plain files.
enum class ListingAttributes : unsigned {
  kPlainFiles = 0,  // files that are neither hidden, nor system, nor folders: what is copied
  // Also folders, and hidden and system entries: whether a name exists at all, since a hidden
  // folder exists as much as a plain one.
  kEveryName = 16 | 2 | 4,
};

// The names (not paths) that match a pattern such as "C:\dir\*.*" or "C:\dir\name", one at a
// time. A name that matches nothing yields nothing; a folder that is not there, or cannot be
// listed, fails about that folder: a copy must never take an unreadable folder for an empty one.
class DirectoryListing {
 public:
  [[nodiscard]] DirectoryListing(const std::wstring& pattern, ListingAttributes attributes);
  ~DirectoryListing();
  DirectoryListing(const DirectoryListing&) = delete;
  DirectoryListing& operator=(const DirectoryListing&) = delete;

  // The next name, or the empty text when no name is left.
  [[nodiscard]] std::wstring Next();

 private:
  struct State;
  std::unique_ptr<State> state_;
};

// Whether a folder of that name exists; a file of that name is none. A drive's root ("C:\\") and a
// share's ("\\\\server\\share") are folders. A name that cannot be looked at counts as missing.
[[nodiscard]] bool IsFolder(const std::wstring& path);

// Creates one folder; its parent must exist and the name must be free.
void MakeFolder(const std::wstring& path);

// Copies a file onto another, overwriting it. The copy is never read-only, whatever the source
// is; a destination that is read-only is not overwritten (access denied), as Windows refuses it.
// A failure is about the source when the source cannot be opened for reading, else about the
// destination.
void CopyFileOverwriting(const std::wstring& source, const std::wstring& destination);

// A file opened to be read as bytes from its start, for one pass over a file of any size in
// bounded memory. Fails about the file if it cannot be opened for reading; each Read about it too.
[[nodiscard]] std::unique_ptr<ByteSource> OpenFileBytes(const std::wstring& path);

// A text file opened for line input. Lines come back as the file's own ANSI bytes, so that a
// line that is written back unchanged keeps its bytes exactly.
class TextFileReader {
 public:
  [[nodiscard]] explicit TextFileReader(const std::wstring& path);  // fails if the file is missing
  ~TextFileReader();
  TextFileReader(const TextFileReader&) = delete;
  TextFileReader& operator=(const TextFileReader&) = delete;

  // Reads the next line without its line end; false at the end of the file.
  [[nodiscard]] bool ReadLine(std::string& line);
  // Gives the file back; the destructor does so too, but reports nothing.
  void Close();

 private:
  struct State;
  std::unique_ptr<State> state_;
};

// A text file opened for output: created, or emptied if it exists. Every line is written with
// CR LF. Close reports a failed final write; the destructor flushes what it can.
class TextFileWriter {
 public:
  [[nodiscard]] explicit TextFileWriter(const std::wstring& path);
  ~TextFileWriter();
  TextFileWriter(const TextFileWriter&) = delete;
  TextFileWriter& operator=(const TextFileWriter&) = delete;

  void WriteLine(std::string_view ansiLine);
  void Close();

 private:
  struct State;
  std::unique_ptr<State> state_;
};

// A file that a log is appended to while the program runs. It is opened for appending only, and
// shared for reading and writing: an administrator may read it meanwhile, and a second copy of the
// program may append to the same file without destroying what this one wrote.
class LogFile {
 public:
  [[nodiscard]] explicit LogFile(const std::wstring& path);  // created if it does not exist
  ~LogFile();
  LogFile(const LogFile&) = delete;
  LogFile& operator=(const LogFile&) = delete;

  // Whether the file held nothing when it was opened.
  [[nodiscard]] bool StartedEmpty() const;
  // Appends the bytes at the file's end, straight to the file, so that a reader sees them at once
  // and a program that is killed loses nothing it has logged.
  void Append(std::string_view bytes);

 private:
  struct State;
  std::unique_ptr<State> state_;
};

}  // namespace platform
