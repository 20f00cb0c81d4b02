#include "model/ResultInfo.h"

#include <algorithm>

#include "model/BlastSearchEntry.h"
#include "model/BlastSearchHitElement.h"

namespace blastsearch {

namespace {

// Where the line of `key` starts in `info`, or npos.
std::size_t FindLine(std::string_view info, std::string_view key) {
  for (std::size_t at = 0; at < info.size();) {
    const std::size_t end = std::min(info.find('\n', at), info.size());
    const std::string_view line = info.substr(at, end - at);
    if (line.size() > key.size() && line.substr(0, key.size()) == key && line[key.size()] == '\t')
      return at;
    at = end + 1;
  }
  return std::string_view::npos;
}

}  // namespace

std::string GetResultInfo(const CBlastSearchEntry& entry, std::string_view key) {
  const std::string_view info = entry.m_Hits.m_strInfo;
  const std::size_t at = FindLine(info, key);
  if (at == std::string_view::npos) return {};
  const std::size_t value = at + key.size() + 1;
  const std::size_t end = std::min(info.find('\n', value), info.size());
  return std::string(info.substr(value, end - value));
}

void SetResultInfo(CBlastSearchEntry& entry, std::string_view key, std::string_view value) {
  std::string& info = entry.m_Hits.m_strInfo;
  const std::size_t at = FindLine(info, key);
  if (at != std::string::npos) {
    const std::size_t end = info.find('\n', at);
    info.erase(at, end == std::string::npos ? std::string::npos : end - at + 1);
  }
  if (value.empty()) return;
  if (!info.empty() && info.back() != '\n') info += '\n';
  info.append(key).append(1, '\t');
  for (char c : value) info += (c == '\t' || c == '\n' || c == '\r') ? ' ' : c;
  info += '\n';
}

bool IsFieldAbsent(const CBlastSearchEntry& entry, std::string_view name) {
  const std::string absent = GetResultInfo(entry, result_info::kAbsent);
  for (std::size_t at = 0; at <= absent.size();) {
    const std::size_t end = std::min(absent.find(',', at), absent.size());
    if (std::string_view(absent).substr(at, end - at) == name) return true;
    at = end + 1;
  }
  return false;
}

void MarkFieldAbsent(CBlastSearchEntry& entry, std::string_view name) {
  if (IsFieldAbsent(entry, name)) return;
  std::string absent = GetResultInfo(entry, result_info::kAbsent);
  if (!absent.empty()) absent += ',';
  absent += name;
  SetResultInfo(entry, result_info::kAbsent, absent);
}

int GetSubjectFrame(const CBlastSearchHitElement& element) { return element.m_Subject.m_nExtra; }
void SetSubjectFrame(CBlastSearchHitElement& element, int frame) {
  element.m_Subject.m_nExtra = frame;
}
int GetExpectCount(const CBlastSearchHitElement& element) { return element.m_Query.m_nExtra; }
void SetExpectCount(CBlastSearchHitElement& element, int count) {
  element.m_Query.m_nExtra = count;
}

bool MoleculeTypesOfProgram(std::string_view program, int& queryType, int& hitType) {
  struct Types {
    std::string_view program;
    int query, hit;
  };
  static constexpr Types kTypes[] = {{"blastn", 1, 1},   {"megablast", 1, 1}, {"blastp", 2, 2},
                                     {"psiblast", 2, 2}, {"blastx", 1, 2},    {"tblastn", 2, 1},
                                     {"tblastx", 1, 1}};
  for (const Types& t : kTypes) {
    if (t.program == program) {
      queryType = t.query;
      hitType = t.hit;
      return true;
    }
  }
  return false;
}

}  // namespace blastsearch
