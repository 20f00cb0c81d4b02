#include "table/BlastSearchFileTypes.h"

#include "host/OrvShellFileTypes.h"

namespace blastsearch {

const FTTENTRY g_blastSearchFileTypes[kBlastSearchFileTypeCount] = {
    {100, "BLAST Search Object", ".bso", 0, 1, "QLONBLASTSearch", "Quillon BLAST Search Object", 1,
     0, "QLbs", "QLTp", 1, 0, 0},
    {101, "BLAST Search Archive", ".ba6", 0, 1, "QLONBLASTSearchArc",
     "Quillon BLAST Search Archive", 2, 0, "QLbs", "QLTp", 1, 0, 0},
    {102, "BLAST Search Link", ".bq", 0, 1, "QLONBLASTSearchLink", "Quillon BLAST Search Link", 3,
     0, "QLbs", "QLTp", 1, 0, 0},
    {103, "BLAST Search Temporary", ".bss", 0, 1, "QLONBLASTSearchTmp",
     "Quillon BLAST Search Temporary", 1, 0, "QLbs", "QLTp", 1, 0, 0},
};

void RegisterBlastSearchFileTypes() {
  RegisterOrvShellFileTypes(g_blastSearchFileTypes, kBlastSearchFileTypeCount);
}

}  // namespace blastsearch
