#pragma once

#include <cstdint>
#include <mutex>
#include <string>
#include <vector>

#include "platform/Export.h"

namespace blastsearch BLASTSEARCH_EXPORT {

// One row of a module's file-type table, as modules hand it to the host:
// fourteen fields. The texts point at constant strings of the module; the
// numbers the host interprets (the file type number, field 8 the kind of
// file a shell entry opens, the others flags the host keeps as given).
struct FTTENTRY {
  std::uint32_t m_nFileType;     // the host's file type number
  const char* m_pszDescription;  // "BLAST Search Object"
  const char* m_pszExtension;    // with its dot: ".bso"
  std::uint32_t m_nField4;
  std::uint32_t m_nField5;
  const char* m_pszShellClass;  // the desktop's name of the type
  const char* m_pszShellDescription;
  std::uint32_t m_nField8;
  std::uint32_t m_nField9;
  const char* m_pszFourCC1;  // four-character codes of the type
  const char* m_pszFourCC2;
  std::uint32_t m_nField12;
  std::uint32_t m_nField13;
  std::uint32_t m_nField14;
};

// A row as the host keeps it: the texts copied, so that a row outlives the
// module that gave it.
struct CFileTypeEntry {
  std::uint32_t m_nFileType = 0;
  std::string m_strDescription;
  std::string m_strExtension;
  std::string m_strShellClass;
  std::string m_strShellDescription;
  std::string m_strFourCC1;
  std::string m_strFourCC2;
  std::uint32_t m_nFlags[7] = {};  // fields 4, 5, 8, 9, 12, 13 and 14 in order
};

// The host's registry of file types. One per process (_FileTypesTable());
// safe to use from static initialisers and any thread.
class FileTypesTable {
 public:
  // Enters `count` rows from `rows` (null texts read as ""), each replacing
  // an entry of its file type, and gives each extension to
  // OrvRegisterFileTypeExtension. Notes each as "file type N".
  void RegisterFileTypeEntry(const FTTENTRY* rows, int count);
  // Removes the entries of the file types of `count` rows (the module that
  // entered them is going away); their extensions stay known. Notes each as
  // "file type N removed".
  void UnregisterFileTypeEntry(const FTTENTRY* rows, int count);
  // A copy of the entry of `fileType`; false when there is none.
  [[nodiscard]] bool Find(std::uint32_t fileType, CFileTypeEntry& entry) const;
  // Copies of every entry, by file type.
  std::vector<CFileTypeEntry> Entries() const;

 private:
  mutable std::mutex m_mutex;
  std::vector<CFileTypeEntry> m_entries;
};

// The host's file-type registry; lives until the process ends.
FileTypesTable& _FileTypesTable();

// The row `row` as the host keeps it.
CFileTypeEntry MakeFileTypeEntry(const FTTENTRY& row);

}  // namespace BLASTSEARCH_EXPORT
