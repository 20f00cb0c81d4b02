#pragma once

#include <sys/types.h>

#include <cstddef>
#include <string>
#include <vector>

#include "parse/ResultReader.h"
#include "platform/Export.h"

namespace blastsearch BLASTSEARCH_EXPORT {

// A BLAST+ program running as a child process, its standard output read as a
// report source and its standard error kept for the messages (the program's
// own words). Standard input is the caller's (a query read from "-").
// The child runs in a process group of its own (a terminal's Ctrl-C reaches
// only blastsearch, which stops it) unless it reads the terminal, and is
// killed when blastsearch (the thread that started it) ends.
// Not copyable; the destructor stops a child still running and reaps it.
class CBlastProcess : public CReportSource {
 public:
  // `stop`: while the output is read, a non-zero value stops the child and
  // ends the read with a CFileException saying so (may be null; may be set
  // from a signal handler or another thread).
  explicit CBlastProcess(const volatile int* stop = nullptr) : m_pStop(stop) {}
  ~CBlastProcess() override;
  CBlastProcess(const CBlastProcess&) = delete;
  CBlastProcess& operator=(const CBlastProcess&) = delete;

  // Starts `executable` (a path) with `arguments` (without the program's
  // name); in blastsearch's own process group when `ownGroup` is false (a
  // child of another group that reads the terminal would be stopped). Throws CFileException naming
  // the program when it cannot be started (pipes, fork); a program that cannot be run ends at once
  // with exit status 127 and a message on its standard error.
  void Start(const std::string& executable, const std::vector<std::string>& arguments,
             bool ownGroup = true);

  // The child's standard output: up to `size` bytes, 0 at its end. Throws
  // CFileException on a read error or a stop request (the child is stopped).
  std::size_t Read(char* buffer, std::size_t size) override;
  // The program's name for messages ("blastp").
  const std::string& GetName() const override { return m_strName; }

  // Stops the child (SIGTERM to its group, SIGKILL after half a second) and
  // reaps it; harmless when it has ended.
  void Stop();
  // Reads what is left of standard error, waits for the child's end and
  // returns its exit status, or 128 + the signal that ended it; -1 when no
  // child was started.
  int Wait();

  // What the child wrote on standard error (its first 64 KiB).
  const std::string& GetErrors() const { return m_strErrors; }
  // The child's process id; 0 before Start and after its end is reaped.
  pid_t GetPid() const { return m_pid; }

  static constexpr std::size_t kMaxErrors = 64 * 1024;

 private:
  // Waits up to `ms` for output or errors; keeps what comes on standard
  // error. True when standard output has bytes (or ended).
  bool PollOutput(int ms);
  void DrainErrors();
  void Reap(int options);

  const volatile int* m_pStop;
  std::string m_strName;
  pid_t m_pid = 0;
  bool m_bOwnGroup = true;
  int m_nStatus = -1;
  int m_outFd = -1;
  int m_errFd = -1;
  std::string m_strErrors;
};

// The first lines of BLAST+'s error output `errors` as one line (blank lines
// and BLAST+'s "Warning:" noise left out when an error line is there), at
// most 400 characters; "no message" when it wrote none.
std::string BlastErrorText(const std::string& errors);

}  // namespace BLASTSEARCH_EXPORT
