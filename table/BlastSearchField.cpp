#include "table/BlastSearchField.h"

#include "host/KaArchive.h"
#include "host/OrvTextFile.h"

namespace blastsearch {

void WriteField(int fieldNumber, const CBlastSearchEntry& entry, COrvTextFile& file,
                unsigned long /*extra*/) {
  WriteSeparator(fieldNumber, file);
  CKaArchive ar(file.CheckOutFilePtr(), 0);
  if (entry.m_Mol.m_xData.IsEmpty()) {
    // Nothing to leave out: the entry is written as it is (a storing archive
    // only reads the object), without a copy of every hit.
    ar.XData(nullptr, const_cast<CBlastSearchEntry*>(&entry), 1);
  } else {
    CBlastSearchEntry copy;
    copy = entry;
    copy.m_Mol.m_xData.Empty();
    ar.XData(nullptr, &copy, 1);
  }
  file.CheckInFilePtr();
  file.WriteString("\n");
}

void ReadField(const char* /*keyword*/, CBlastSearchEntry& entry, COrvTextFile& file,
               unsigned long /*extra*/) {
  CKaArchive ar(file.CheckOutFilePtr(), 1);
  ar.XData(nullptr, &entry, 1);
  entry.CheckData();
  file.CheckInFilePtr();
}

}  // namespace blastsearch
