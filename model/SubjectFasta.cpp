#include "model/SubjectFasta.h"

#include <cctype>
#include <string_view>

#include "model/BlastSearchHit.h"

namespace blastsearch {

namespace {

constexpr std::size_t kFastaLineLength = 60;

}  // namespace

std::string SubjectFasta(const CBlastSearchHit& hit) {
  std::string fasta;
  std::string subject = FirstWordOf(hit.m_strName);
  if (subject.empty()) subject = hit.m_strID;
  for (const auto& element : hit.m_ElementList) {
    if (!element) continue;
    std::string residues;
    for (char c : element->m_Subject.m_strSeq) {
      if (c != '-' && !std::isspace(static_cast<unsigned char>(c))) residues += c;
    }
    if (residues.empty()) continue;
    std::string header = ">" + subject + ":" + std::to_string(element->m_Subject.m_nStart) + "-" +
                         std::to_string(element->m_Subject.m_nEnd);
    if (!hit.m_strDescription.empty()) header += " " + hit.m_strDescription;
    // A header is one line of printable text.
    for (char& c : header) {
      if (static_cast<unsigned char>(c) < 0x20 || c == 0x7f) c = ' ';
    }
    fasta += header + '\n';
    for (std::size_t at = 0; at < residues.size(); at += kFastaLineLength) {
      fasta.append(std::string_view(residues).substr(at, kFastaLineLength)).append(1, '\n');
    }
  }
  return fasta;
}

std::string FirstWordOf(const std::string& text) {
  std::size_t start = 0;
  while (start < text.size() && std::isspace(static_cast<unsigned char>(text[start]))) ++start;
  std::size_t end = start;
  while (end < text.size() && !std::isspace(static_cast<unsigned char>(text[end]))) ++end;
  return text.substr(start, end - start);
}

}  // namespace blastsearch
