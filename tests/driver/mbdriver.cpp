// mbdriver: runs a program and answers its message boxes from a script, logging each box as a line
// of JSON, so that a test can check every box the program showed and what it did after.
//
//   mbdriver --log FILE [--answers yes,no,ok,...] [--shots DIR] [--hold FILE]
//            [--timeout SECONDS] [--kill-after MS] [--kill-on FILE] [--kill-on-change KEY]
//            [--line TEXT] -- PROGRAM [ARGS...]
//
// Each ARG reaches the program quoted as the C runtime reads it back. --line hands TEXT over as it
// is, after the program's name, so that a test can give a line that no quoting would make, as an
// administrator may type it.
//
// The kill options end the program abruptly, as a power cut or the task manager would: MS
// milliseconds after the first answer is given, as soon as FILE exists, or at the first change
// below the registry key KEY (HKEY_LOCAL_MACHINE\... or HKEY_CURRENT_USER\...) after the first
// answer. Such a run answers only the scripted boxes and leaves any later box up, so that the kill
// can come while it shows.
//
// Exit code: the program's; 90 if a box needs an answer that the script does not give; 91 if
// neither a box nor the program's end comes within the timeout; 93 if the program was killed as
// asked; 2 for a wrong command line and 92 if the log cannot be written or the program cannot be
// started.
#include <cstdio>
#include <optional>

#include "child_program.h"
#include "driver_loop.h"
#include "driver_options.h"
#include "exit_codes.h"
#include "json_log.h"
#include "kill_trigger.h"

namespace mbdriver {
namespace {

int Main(int argc, wchar_t** argv) {
  const std::optional<Options> options = ParseOptions(argc, argv);
  if (!options) {
    std::fputs(kUsage, stderr);
    return kUsageError;
  }
  const JsonLog log(options->log);
  if (!log) {
    std::fputs("mbdriver: cannot write the log\n", stderr);
    return kDriverFailure;
  }
  const std::optional<KillTriggers> triggers = MakeKillTriggers(*options, log);
  if (!triggers) {
    return kDriverFailure;
  }
  const std::optional<Program> program =
      StartProgram(options->command, options->line, options->station);
  if (!program) {
    log.Error(L"cannot start the program");
    return kDriverFailure;
  }
  for (const auto& trigger : *triggers) {
    trigger->ProgramStarted(program->process.get());
  }
  return Driver(*options, log, *program, *triggers).Run();
}

}  // namespace
}  // namespace mbdriver

int wmain(int argc, wchar_t** argv) {
  return mbdriver::Main(argc, argv);
}
