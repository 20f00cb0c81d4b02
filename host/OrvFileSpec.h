#pragma once

#include <string>

#include "platform/Export.h"

namespace blastsearch BLASTSEARCH_EXPORT {

// A directory of the host: set or not set.
class COrvDirSpec {
 public:
  COrvDirSpec() = default;
  explicit COrvDirSpec(std::string dir) : m_strDir(std::move(dir)) {}

  // Non-zero when a directory is set.
  int IsSpecSet() const { return m_strDir.empty() ? 0 : 1; }

  // The directory's path; empty when not set.
  const std::string& GetDir() const { return m_strDir; }
  // Sets the directory (empty: not set).
  void SetDir(std::string dir) { m_strDir = std::move(dir); }

 private:
  std::string m_strDir;
};

// The host's main database directory; not set until the host (or a test)
// sets it. Lives for the process.
COrvDirSpec& OrvMainDir();
#define MAINDIR (OrvMainDir())

// The extension the host gives to files of `fileType` (with its dot, ".ba6"),
// or "" for a type nobody registered.
std::string OrvFileTypeExtension(int fileType);
// Enters or replaces the extension of `fileType`; the entry lasts for the
// process.
void OrvRegisterFileTypeExtension(int fileType, std::string extension);

// The specification of one file: a path, or a directory, a name and a file
// type whose registered extension completes the name.
class COrvFileSpec {
 public:
  // An empty specification, to be filled by a host call.
  COrvFileSpec() = default;
  // The file `name` of `fileType` in `dir`: the path is the directory, a '/'
  // when the directory does not end in one, the name and the extension
  // registered for the type at construction.
  COrvFileSpec(const COrvDirSpec& dir, const char* name, int fileType);
  // A file given by its whole path.
  explicit COrvFileSpec(std::string path, int fileType = 0)
      : m_strPath(std::move(path)), m_nFileType(fileType) {}
  ~COrvFileSpec() = default;

  // Non-zero when a file is named.
  int IsSpecSet() const { return m_strPath.empty() ? 0 : 1; }
  // The file's whole path, and the file type given at construction.
  const std::string& GetPath() const { return m_strPath; }
  int GetFileType() const { return m_nFileType; }

 private:
  std::string m_strPath;
  int m_nFileType = 0;
};

}  // namespace BLASTSEARCH_EXPORT
