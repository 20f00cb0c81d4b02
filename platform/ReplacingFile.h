#pragma once

#include <string>

#include "platform/File.h"

// A file that takes the place of another only when it is whole: the bytes go
// to a new file beside the target, and Commit() stores them on disk and
// renames the new file over the target. The target therefore holds its old
// content or the whole new one, whatever fails in between (a full disk, a
// write error, a process that stops). Without Commit the new file is removed
// when the object ends; only a killed process leaves it behind, as
// ".NAME.tmp-..." beside the target. Errors of writes name the target.
// Not copyable.
class CReplacingFile : public CFile {
 public:
  CReplacingFile() = default;
  ~CReplacingFile() override;

  // Creates the new file beside `target` (beside the file that a symbolic
  // link names, so that the link stays), with the permissions of the target
  // where one exists. False, with errno set, when it cannot be created.
  bool Create(const std::string& target);

  // Stores the bytes on disk and renames the new file over the target; throws
  // CFileException naming the target when that fails, the new file removed
  // and the target unchanged.
  void Commit();

 private:
  void Discard();

  std::string m_strTarget;
  std::string m_strNew;  // the new file while it exists, else empty
};
