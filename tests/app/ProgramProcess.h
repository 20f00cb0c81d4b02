#pragma once

#include <fcntl.h>
#include <spawn.h>
#include <unistd.h>

#include <filesystem>
#include <string>
#include <vector>

extern char** environ;

namespace blastsearch {

// Starts the blastsearch program at `program` with `args` as a child process,
// its standard output and error written to the files `out` and `err`
// (created or emptied). Returns the child's id, or -1 when it could not start;
// the caller waits for it.
inline pid_t StartProgram(const std::filesystem::path& program,
                          const std::vector<std::string>& args, const std::filesystem::path& out,
                          const std::filesystem::path& err) {
  std::vector<std::string> all{program.string()};
  all.insert(all.end(), args.begin(), args.end());
  std::vector<char*> argv;
  for (std::string& arg : all) argv.push_back(arg.data());
  argv.push_back(nullptr);
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, out.c_str(),
                                   O_WRONLY | O_CREAT | O_TRUNC, 0644);
  posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, err.c_str(),
                                   O_WRONLY | O_CREAT | O_TRUNC, 0644);
  pid_t pid = -1;
  const int started = posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  return started == 0 ? pid : -1;
}

}  // namespace blastsearch
