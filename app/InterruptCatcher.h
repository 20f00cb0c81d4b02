#pragma once

#include <csignal>

namespace blastsearch {

// Ctrl-C while a command reads: from construction to destruction, SIGINT sets
// a stop flag instead of ending the process, and interrupts a blocking read
// (no restart) so that the reader can look at the flag. The previous handling
// of SIGINT comes back when the object ends. One object at a time; not
// copyable.
class CInterruptCatcher {
 public:
  CInterruptCatcher();
  ~CInterruptCatcher();
  CInterruptCatcher(const CInterruptCatcher&) = delete;
  CInterruptCatcher& operator=(const CInterruptCatcher&) = delete;

  // The stop flag for readers (non-zero once SIGINT came); valid while the
  // object lives.
  int* StopFlag();
  // True when SIGINT came since construction.
  bool Interrupted() const { return m_bInterrupted || IsStopSet(); }
  // Clears the flag so that a further Ctrl-C stops the next step; Interrupted()
  // keeps saying that one came.
  void Rearm();

 private:
  static bool IsStopSet();

  struct sigaction m_previous {};
  bool m_bInterrupted = false;
};

}  // namespace blastsearch
