// What a failure does to the run: which failures end it, with which exit code, what the report
// names, and what stays done. The routines report where they fail and trap what they can; a
// failure that leaves a step untrapped ends the run here.
//
// | failure                            | met in            | then                     | exit |
// |------------------------------------|-------------------|--------------------------|------|
// | the log cannot be opened           | app/program.cpp   | report; nothing changed  | 1603 |
// | the question's box is not shown    | setup::Main       | nothing changed          | 1603 |
// | a product's key cannot be read     | GetRegistry       | warning; nothing changed | 1603 |
// | the distribution is not whole      | CheckDistribution | report; nothing changed  | 1603 |
// | the marker cannot be taken away    | ForgetSetUp       | report; nothing changed  | 1603 |
// | an environment value not written   | FU_SetRegistry    | warning; goes on         | 1603 |
// | a folder not made                  | FU_MkDir          | its box; goes on         | 1603 |
// | a packaged folder not listed       | FU_CopyFolder     | report; ends             | 1603 |
// | a file not copied                  | FU_CopyFolder     | report; ends             | 1603 |
// | a file not opened, written, closed | RewriteFile       | report; ends             | 1603 |
// | a configuration file not text      | ConfigurationStep | box; goes on             | 1603 |
// | the data source not registered     | AddDataSource     | box; goes on             | 1603 |
// | the marker not written             | MarkSetUp         | warning                  | 1603 |
// | anything else thrown               | any step          | report; ends             | 1603 |
//
// Every one of them leaves no detection marker: setup/detection_marker.h.
//
// The report ("実行時エラー 'N':") gives the failure's number and the system's description of it
// and, on a line of its own, the file or folder it concerned: of a copy, the file it could not
// write, or its source where that cannot be opened for reading (platform/win32/files.cpp decides).
// Out of memory reports 8, anything else the program did not expect 536870915.
//
// What stays done: nothing is undone. A run ended by a failure leaves every step before the one
// that failed, and in that step whatever it did before the failure: the files copied before the
// one named, the backup of a file whose rewrite failed. A run that ends before the distribution
// has been found whole has changed nothing. The run repeats every step in full, so running it
// again, once the cause is mended, is safe.
#pragma once

#include <string_view>

#include "platform/failure.h"
#include "setup/outcome.h"
#include "setup/run_log.h"

namespace app {

// Runs the steps (setup::Main) of the program's version and gives the run's outcome: after the
// report, kFailed for a failure that no routine trapped.
[[nodiscard]] setup::Outcome RunSetup(setup::RunLog& log, std::wstring_view version);

// Checks the machine (setup::Verify) and gives the check's outcome: after the report of what it
// could not read, kUnverified.
[[nodiscard]] setup::Outcome RunVerification(setup::RunLog& log, std::wstring_view version);

// Shows the report of a failure that ends the run.
void ShowFailureReport(const platform::Failure& failure);

}  // namespace app
