#include "host/FileTypesTable.h"

#include <algorithm>

#include "host/OrvFileSpec.h"
#include "platform/RegistrationLog.h"

namespace blastsearch {

namespace {

std::string Text(const char* text) { return text != nullptr ? text : ""; }

}  // namespace

CFileTypeEntry MakeFileTypeEntry(const FTTENTRY& row) {
  CFileTypeEntry entry;
  entry.m_nFileType = row.m_nFileType;
  entry.m_strDescription = Text(row.m_pszDescription);
  entry.m_strExtension = Text(row.m_pszExtension);
  entry.m_strShellClass = Text(row.m_pszShellClass);
  entry.m_strShellDescription = Text(row.m_pszShellDescription);
  entry.m_strFourCC1 = Text(row.m_pszFourCC1);
  entry.m_strFourCC2 = Text(row.m_pszFourCC2);
  const std::uint32_t flags[7] = {row.m_nField4,  row.m_nField5,  row.m_nField8, row.m_nField9,
                                  row.m_nField12, row.m_nField13, row.m_nField14};
  std::copy(std::begin(flags), std::end(flags), entry.m_nFlags);
  return entry;
}

void FileTypesTable::RegisterFileTypeEntry(const FTTENTRY* rows, int count) {
  for (int i = 0; rows != nullptr && i < count; ++i) {
    CFileTypeEntry entry = MakeFileTypeEntry(rows[i]);
    OrvRegisterFileTypeExtension(static_cast<int>(entry.m_nFileType), entry.m_strExtension);
    {
      std::lock_guard<std::mutex> lock(m_mutex);
      auto at = std::find_if(m_entries.begin(), m_entries.end(), [&](const CFileTypeEntry& e) {
        return e.m_nFileType >= entry.m_nFileType;
      });
      if (at != m_entries.end() && at->m_nFileType == entry.m_nFileType) {
        *at = std::move(entry);
      } else {
        m_entries.insert(at, std::move(entry));
      }
    }
    NoteRegistration("file type " + std::to_string(rows[i].m_nFileType));
  }
}

void FileTypesTable::UnregisterFileTypeEntry(const FTTENTRY* rows, int count) {
  for (int i = 0; rows != nullptr && i < count; ++i) {
    const std::uint32_t type = rows[i].m_nFileType;
    {
      std::lock_guard<std::mutex> lock(m_mutex);
      std::erase_if(m_entries, [type](const CFileTypeEntry& e) { return e.m_nFileType == type; });
    }
    NoteRegistration("file type " + std::to_string(type) + " removed");
  }
}

bool FileTypesTable::Find(std::uint32_t fileType, CFileTypeEntry& entry) const {
  std::lock_guard<std::mutex> lock(m_mutex);
  for (const CFileTypeEntry& e : m_entries) {
    if (e.m_nFileType == fileType) {
      entry = e;
      return true;
    }
  }
  return false;
}

std::vector<CFileTypeEntry> FileTypesTable::Entries() const {
  std::lock_guard<std::mutex> lock(m_mutex);
  return m_entries;
}

FileTypesTable& _FileTypesTable() {
  static FileTypesTable* table = new FileTypesTable;
  return *table;
}

}  // namespace blastsearch
