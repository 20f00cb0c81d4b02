#pragma once

#include <string>

#include "platform/Export.h"
#include "platform/File.h"

namespace blastsearch BLASTSEARCH_EXPORT {

// A file that takes the place of another only when it is whole: the bytes go
// to a new file beside the target, and Commit() stores them on disk and
// renames the new file over the target. The target therefore holds its old
// content or the whole new one, whatever fails in between (a full disk, a
// write error, a process that stops). Without Commit the new file is removed
// when the object ends; only a killed process leaves it behind, as
// ".NAME.tmp-..." beside the target. Errors of writes name the target.
//
// Targets that are not regular files are written directly, never replaced:
// "-" is standard output, and a device node (/dev/null, a terminal), a FIFO
// or a socket is opened for writing as it is. A symbolic link stays: the file
// it names is replaced, keeping its permissions. A file protected with
// ProtectFromReplacing (the database's own file, an input being read) is
// refused, however it is named (same device and inode). Not copyable.
class CReplacingFile : public CFile {
 public:
  CReplacingFile() = default;
  ~CReplacingFile() override;

  // Creates the new file beside `target` (beside the file that a symbolic
  // link names, so that the link stays), with the permissions of the target
  // where one exists; or opens a target that is not a regular file for
  // writing directly. False, with errno set, when it cannot be created (a
  // folder as target fails at Commit). Throws CFileException naming the target when it is a
  // protected file.
  [[nodiscard]] bool Create(const std::string& target);

  // Stores the bytes on disk and renames the new file over the target (a
  // target written directly is only closed); throws CFileException naming
  // the target when that fails, the new file removed and the target
  // unchanged.
  void Commit();

  // True when the target is written directly (not replaced).
  bool WritesDirectly() const { return m_bDirect; }

 private:
  void Discard();

  std::string m_strTarget;
  std::string m_strNew;  // the new file while it exists, else empty
  bool m_bDirect = false;
};

// Files that no CReplacingFile of this process may write over, each with what
// it is ("the database's own file"), matched by device and inode when a
// target is created, so that another name of the file (a link, a relative
// path) is refused too. Protecting a path again replaces its description;
// StopProtecting forgets it. Files that do not exist yet are matched once
// they do.
void ProtectFromReplacing(const std::string& path, const std::string& what);
void StopProtecting(const std::string& path);
// Adds a test of targets that no CReplacingFile may write over whatever
// process opened them (files of a kind, known by their content): `guard`
// answers what the file at a path is ("an object database of blastsearch"),
// or empty. Guards live as long as the program; one is kept per `name`.
void AddReplacingGuard(const std::string& name, std::string (*guard)(const std::string& path));
// The description of the protected file that `path` is (protected by path or
// by a guard), or empty when it is none of them (or does not exist).
std::string ProtectedFileKind(const std::string& path);

}  // namespace BLASTSEARCH_EXPORT
