// A test outside Wine speaks to a running driver by laying files: one that releases the held boxes,
// one that asks for the kill.
#pragma once

#include <windows.h>

#include <string>

namespace mbdriver {

inline bool FileExists(const std::wstring& path) {
  return ::GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

}  // namespace mbdriver
