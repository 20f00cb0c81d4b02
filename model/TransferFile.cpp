#include "model/TransferFile.h"

#include "host/KaArchive.h"
#include "host/KaArchiveFormat.h"

namespace blastsearch {

void StoreTransferFile(CBlastSearchEntry& entry, CFile& file) {
  CKaArchive ar(&file, 0);
  entry.Serialize(ar);
}

void LoadTransferFile(CFile& file, CBlastSearchEntry& entry) {
  CKaArchive ar(&file, 1);
  entry.Serialize(ar);
  if (!ar.AtEnd()) {
    throw CKaArchiveException("bytes remain after the result's record", file.GetPosition());
  }
}

bool IsTransferFileData(std::string_view head) {
  static const std::string opening = ka_archive_format::FrameHead("~UxMol~");
  return head.substr(0, opening.size()) == opening;
}

}  // namespace blastsearch
