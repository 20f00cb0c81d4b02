#pragma once

#include <iosfwd>
#include <memory>
#include <streambuf>
#include <string>

#include "platform/Export.h"
#include "platform/ReplacingFile.h"

namespace blastsearch BLASTSEARCH_EXPORT {

class CCommandMessages;

// Where a command writes its result: standard output, or a file that is
// replaced whole only when everything was written (CReplacingFile: a new file
// beside it, renamed over it at Commit; a device, FIFO or "-" written
// directly; a symbolic link kept; the target's mode kept; the database's own
// file and other protected files refused). Not copyable; a new file left
// uncommitted is removed at destruction.
class COutputFile {
 public:
  // Writes to `path`, or to `standardOutput` when `path` is empty or "-".
  COutputFile(const std::string& path, std::ostream& standardOutput);
  COutputFile(const COutputFile&) = delete;
  COutputFile& operator=(const COutputFile&) = delete;
  ~COutputFile();

  // Creates the new file: true; false with a failure line naming the file
  // and what was wrong. Always true for standard output.
  [[nodiscard]] bool Open(CCommandMessages& messages);
  // The stream to write to; valid after a successful Open.
  std::ostream& Stream();
  // Checks every write, flushes, and puts the file in place: true; false
  // with a failure line naming the file (the file is then left as it was).
  [[nodiscard]] bool Commit(CCommandMessages& messages);

 private:
  class CFileBuffer;

  std::string m_strPath;
  std::ostream& m_standardOutput;
  CReplacingFile m_file;
  std::unique_ptr<CFileBuffer> m_pBuffer;
  std::unique_ptr<std::ostream> m_pStream;
  bool m_bToFile = false;
};

}  // namespace BLASTSEARCH_EXPORT
