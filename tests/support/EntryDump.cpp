#include "support/EntryDump.h"

#include <cstdio>

#include "model/BlastSearchEntry.h"

namespace blastsearch {

namespace {

std::string Number(double value) {
  char buf[64];
  std::snprintf(buf, sizeof buf, "%.6g", value);
  return buf;
}

void DumpRow(const char* label, const CBlastSearchSeqComponent& row, std::string& out) {
  out += "    ";
  out += label;
  out += ' ' + std::to_string(row.m_nStart) + '-' + std::to_string(row.m_nEnd) +
         " length=" + std::to_string(row.m_nLength) +
         " minus=" + std::to_string(row.m_bMinusStrand) + " extra=" + std::to_string(row.m_nExtra) +
         ' ' + row.m_strSeq + '\n';
}

}  // namespace

std::string DumpEntry(const CBlastSearchEntry& entry) {
  std::string out = "query name=" + entry.m_Mol.m_strName + " id=" + entry.m_Mol.m_strID +
                    " type=" + std::to_string(entry.m_Mol.m_nType) +
                    " length=" + std::to_string(entry.m_Mol.m_nLength) +
                    " link=" + std::to_string(entry.m_nLinkType) + ':' + entry.m_strLinkDatabase +
                    '\n';
  for (const auto& hit : entry.m_Hits.m_HitList) {
    if (!hit) continue;
    out += "hit id=" + hit->m_strID + " name=" + hit->m_strName +
           " length=" + std::to_string(hit->m_nLength) +
           " type=" + std::to_string(hit->m_nMolType) + " desc=" + hit->m_strDescription + '\n';
    for (const auto& element : hit->m_ElementList) {
      if (!element) continue;
      out += "  element bits=" + Number(element->m_dBitScore) +
             " score=" + std::to_string(element->m_nScore) +
             " expect=" + Number(element->m_dExpect) +
             " ident=" + std::to_string(element->m_nIdentities) +
             " pos=" + std::to_string(element->m_nPositives) +
             " gaps=" + std::to_string(element->m_nGaps) +
             " align=" + std::to_string(element->m_nAlignLength) +
             " frame=" + std::to_string(element->m_nFrame) + '\n';
      DumpRow("query", element->m_Query, out);
      DumpRow("sbjct", element->m_Subject, out);
    }
  }
  return out;
}

}  // namespace blastsearch
