#include "app/command_line.h"

#include <algorithm>

namespace app {
namespace {

enum class Switch { kQuiet, kLog, kVerify, kOther };

bool IsBlank(wchar_t c) {
  return c == L' ' || c == L'\t';
}

bool LooksLikeSwitch(std::wstring_view argument) {
  return !argument.empty() && (argument[0] == L'/' || argument[0] == L'-');
}

// Switch names are ASCII, so folding ASCII letters is enough to read them in any case.
std::wstring FoldCase(std::wstring_view text) {
  std::wstring folded(text);
  for (wchar_t& c : folded) {
    if (c >= L'A' && c <= L'Z') {
      c = static_cast<wchar_t>(c - L'A' + L'a');
    }
  }
  return folded;
}

Switch SwitchOf(std::wstring_view argument) {
  if (!LooksLikeSwitch(argument)) {
    return Switch::kOther;
  }
  const std::wstring name = FoldCase(argument.substr(1));
  if (name == L"q" || name == L"quiet") {
    return Switch::kQuiet;
  }
  if (name == L"verify") {
    return Switch::kVerify;
  }
  return name == L"log" ? Switch::kLog : Switch::kOther;
}

// The program's name is a path: quotes only keep its spaces together, and a backslash before a
// quote is a folder separator, not an escape.
std::size_t EndOfProgramName(std::wstring_view line) {
  bool quoted = false;
  std::size_t i = 0;
  for (; i < line.size() && (quoted || !IsBlank(line[i])); ++i) {
    if (line[i] == L'"') {
      quoted = !quoted;
    }
  }
  return i;
}

// A run of backslashes at i: before a double quote, each pair stands for one backslash and an odd
// one escapes the quote; anywhere else they are literal.
void ReadBackslashes(std::wstring_view line, std::size_t& i, std::wstring& argument) {
  const std::size_t end = std::min(line.find_first_not_of(L'\\', i), line.size());
  const std::size_t count = end - i;
  i = end;
  if (i == line.size() || line[i] != L'"') {
    argument.append(count, L'\\');
    return;
  }
  argument.append(count / 2, L'\\');
  if (count % 2 == 1) {
    argument += L'"';
    ++i;
  }
}

// One argument from i, which is not blank; leaves i after it.
std::wstring ReadArgument(std::wstring_view line, std::size_t& i) {
  std::wstring argument;
  bool quoted = false;
  while (i < line.size() && (quoted || !IsBlank(line[i]))) {
    if (line[i] == L'\\') {
      ReadBackslashes(line, i, argument);
    } else if (line[i] != L'"') {
      argument += line[i++];
    } else if (quoted && i + 1 < line.size() && line[i + 1] == L'"') {
      argument += L'"';  // "" inside quotes
      i += 2;
    } else {
      quoted = !quoted;
      ++i;
    }
  }
  return argument;
}

// No file name holds a double quote. One that does is the rest of the line, swallowed after a
// quoted folder that ended in "\": the backslash escaped the quote that was meant to close it.
void ReadLogFile(const std::wstring& file, Options& options) {
  if (file.find(L'"') == std::wstring::npos) {
    options.logFile = file;
  } else if (!options.mistake) {
    options.mistake = file;
  }
}

// A word of the raw line as the switch it would be once its quotes were taken off: "/quiet" is as
// plain a request for quiet as /quiet.
std::wstring WithoutQuotes(std::wstring_view word) {
  std::wstring plain;
  for (const wchar_t c : word) {
    if (c != L'"') {
      plain += c;
    }
  }
  return plain;
}

// Read on the line as Windows hands it over, word by blank-separated word, before any splitting.
bool QuietAnywhere(std::wstring_view commandLine) {
  std::size_t i = EndOfProgramName(commandLine);
  while (i < commandLine.size()) {
    const std::size_t end = std::min(commandLine.find_first_of(L" \t", i), commandLine.size());
    if (SwitchOf(WithoutQuotes(commandLine.substr(i, end - i))) == Switch::kQuiet) {
      return true;
    }
    i = end + 1;
  }
  return false;
}

}  // namespace

std::vector<std::wstring> CommandLineArguments(std::wstring_view commandLine) {
  std::vector<std::wstring> arguments;
  std::size_t i = EndOfProgramName(commandLine);
  for (;;) {
    while (i < commandLine.size() && IsBlank(commandLine[i])) {
      ++i;
    }
    if (i == commandLine.size()) {
      return arguments;
    }
    arguments.push_back(ReadArgument(commandLine, i));
  }
}

// Every argument is read even after a mistake: a /quiet further on must still keep the usage off
// the screen, and a log asked for must still get its line.
Options ReadOptions(std::span<const std::wstring> arguments) {
  Options options;
  for (std::size_t i = 0; i < arguments.size(); ++i) {
    const std::wstring& argument = arguments[i];
    const Switch kind = SwitchOf(argument);
    if (kind == Switch::kQuiet) {
      options.quiet = true;
      continue;
    }
    if (kind == Switch::kVerify) {
      options.verify = true;
      continue;
    }
    // A second log leaves open which file an administrator should read; a switch where the file
    // name belongs means the name was left out.
    const bool fileFollows =
        i + 1 < arguments.size() && !arguments[i + 1].empty() && !LooksLikeSwitch(arguments[i + 1]);
    if (kind == Switch::kLog && fileFollows && !options.logFile) {
      ReadLogFile(arguments[++i], options);
    } else if (!options.mistake) {
      options.mistake = argument;
    }
  }
  return options;
}

Options ReadCommandLine(std::wstring_view commandLine) {
  Options options = ReadOptions(CommandLineArguments(commandLine));
  options.quiet = options.quiet || QuietAnywhere(commandLine);
  return options;
}

std::wstring UsageMessage(std::wstring_view mistake) {
  return L"引数「" + std::wstring(mistake) +
         L"」が正しくありません。\r\r"
         L"使い方: setup.exe [/verify] [/quiet] [/log ファイル名]\r"
         L"/verify: セットアップと異なる点を調べます。何も変更しません。\r"
         L"/quiet (/q): メッセージを表示せずにセットアップを行います。\r"
         L"/log: セットアップの記録をファイルに書き込みます。";
}

}  // namespace app
