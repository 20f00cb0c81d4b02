#pragma once

#include <streambuf>

#include "platform/Export.h"

namespace blastsearch BLASTSEARCH_EXPORT {

// A stream buffer that writes to a file descriptor of the system (standard
// output, for example) and keeps the error of the first write that failed:
// every later write fails too, so a stream over it turns bad and stays bad.
// The descriptor is not owned. Bytes are held in a buffer until it is full or
// flushed; the destructor flushes what is left. Not copyable.
class CDescriptorOutput : public std::streambuf {
 public:
  explicit CDescriptorOutput(int fd);
  ~CDescriptorOutput() override;
  CDescriptorOutput(const CDescriptorOutput&) = delete;
  CDescriptorOutput& operator=(const CDescriptorOutput&) = delete;

  // The system's error number of the first write that failed; 0 when none did.
  int GetError() const { return m_nError; }

 protected:
  int_type overflow(int_type c) override;
  int sync() override;

 private:
  // Writes the buffered bytes; false when a write failed, now or before.
  bool Drain();

  int m_fd;
  int m_nError = 0;
  char m_buffer[1 << 16];
};

}  // namespace BLASTSEARCH_EXPORT
