// mbdriver's own exit codes. A run that ends by itself exits with the program's code, which
// stays below these for every program that the tests drive.
#pragma once

namespace mbdriver {

inline constexpr int kUsageError = 2;
// A box needs an answer that the script does not give.
inline constexpr int kNoAnswer = 90;
// Neither a box nor the program's end came in time.
inline constexpr int kTimedOut = 91;
// The log cannot be written, the program cannot be started, or a kill cannot be set up.
inline constexpr int kDriverFailure = 92;
// The program was killed as asked.
inline constexpr int kKilled = 93;

}  // namespace mbdriver
