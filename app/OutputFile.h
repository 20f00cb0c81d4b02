#pragma once

#include <fstream>
#include <iosfwd>
#include <string>

class CCommandMessages;

// Where a command writes its result: standard output, or a file that is
// replaced whole only when everything was written (the text goes to a
// temporary file beside it, renamed over it at Commit). Not copyable; a
// temporary file left uncommitted is removed at destruction.
class COutputFile {
 public:
  // Writes to `path`, or to `standardOutput` when `path` is empty or "-".
  COutputFile(const std::string& path, std::ostream& standardOutput);
  COutputFile(const COutputFile&) = delete;
  COutputFile& operator=(const COutputFile&) = delete;
  ~COutputFile();

  // Creates the temporary file: true; false with a failure line naming the
  // file. Always true for standard output.
  bool Open(CCommandMessages& messages);
  // The stream to write to; valid after a successful Open.
  std::ostream& Stream();
  // Checks every write, flushes, and puts the file in place: true; false
  // with a failure line naming the file (the file is then left as it was).
  bool Commit(CCommandMessages& messages);

 private:
  std::string m_strPath;
  std::string m_strTemporary;
  std::ostream& m_standardOutput;
  std::ofstream m_file;
  bool m_bToFile = false;
};
