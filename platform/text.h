// Text crosses between UTF-16 inside the program and the ANSI code page of the system (932 on a
// Japanese Windows) only at the registry, ODBC and text-file boundaries.
#pragma once

#include <string>
#include <string_view>

namespace platform {

// Characters that the code page cannot hold become its default character, as Windows does.
std::string ToAnsi(std::wstring_view text);
// Bytes that do not form a character of the code page become the Unicode replacement character.
std::wstring FromAnsi(std::string_view bytes);

}  // namespace platform
