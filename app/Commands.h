#pragma once

#include <iosfwd>
#include <string>
#include <vector>

// Exit statuses of blastsearch.
enum ExitStatus : int {
  kExitOk = 0,       // the command did what was asked
  kExitFailed = 1,   // the input holds nothing the command can use, or a reader failed
  kExitUsage = 2,    // bad command line, or a file that cannot be opened
};

// Runs blastsearch with `args` (without the program name), writing results
// to `out` and messages to `err`; returns the exit status. Never throws.
int RunBlastSearch(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);
