#pragma once

#include <iosfwd>
#include <string>
#include <vector>

namespace blastsearch {

// Exit statuses of blastsearch.
enum ExitStatus : int {
  kExitOk = 0,             // the command did what was asked
  kExitFailed = 1,         // the input holds nothing the command can use, a reader failed, or the
                           // result could not be written or saved
  kExitUsage = 2,          // bad command line, or a file that cannot be opened or created
  kExitInterrupted = 130,  // Ctrl-C cut the work short (128 + SIGINT, as shells count)
};

// Runs blastsearch with `args` (without the program name), writing results
// to `out` and messages to `err`; returns the exit status. When `out` fails
// (a full disk, a closed output), says so and returns kExitFailed (or the
// command's own failure). Never throws.
int RunBlastSearch(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);

}  // namespace blastsearch
