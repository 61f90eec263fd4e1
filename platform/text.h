// Text crosses between UTF-16 inside the program and the ANSI code page of the system (932 on a
// Japanese Windows) only at the registry, ODBC and text-file boundaries, and into UTF-8 for the
// log; and texts that name files compare as Windows compares file names.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace platform {

// Shift_JIS as Windows reads it, with its own extensions: the code page of a Japanese Windows.
inline constexpr std::uint32_t kCodePageShiftJis = 932;

// Characters that the code page cannot hold become its default character, as Windows does.
[[nodiscard]] std::string ToAnsi(std::wstring_view text);
// Bytes that do not form a character of the code page become the Unicode replacement character.
[[nodiscard]] std::wstring FromAnsi(std::string_view bytes);
// The same for a given code page, whatever the system's is: for a file that declares its own.
[[nodiscard]] std::wstring FromCodePage(std::uint32_t codePage, std::string_view bytes);
// UTF-8 holds every character, where the code page would lose some: for what people read on any
// Windows, whatever its code page. A lone half of a surrogate pair becomes the replacement
// character.
[[nodiscard]] std::string ToUtf8(std::wstring_view text);

// Whether text holds part anywhere, compared as Windows compares file names without regard to
// case: character by character, each upper-cased by the system's table, with no linguistic rules.
// Every letter that Windows folds counts, so a folder C:\Ärger\bin is found as c:\ärger\BIN; a
// full-width letter is still not its half-width form.
[[nodiscard]] bool ContainsIgnoringCase(std::wstring_view text, std::wstring_view part);

}  // namespace platform
