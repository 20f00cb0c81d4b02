#include "parse/ResultReader.h"

#include <algorithm>
#include <cstring>
#include <utility>

namespace blastsearch {

std::size_t CViewReportSource::Read(char* buffer, std::size_t size) {
  const std::size_t count = std::min({size, m_nPiece, m_bytes.size()});
  std::memcpy(buffer, m_bytes.data(), count);
  m_bytes.remove_prefix(count);
  return count;
}

std::size_t AppendFromSource(CReportSource& source, std::string& buffer, std::size_t& piece,
                             std::size_t maxPiece) {
  const std::size_t old = buffer.size(), want = piece;
  piece = std::min(piece * 2, maxPiece);
  buffer.resize(old + want);
  const std::size_t got = source.Read(buffer.data() + old, want);
  buffer.resize(old + got);
  return got;
}

std::string SizeText(std::uint64_t bytes) {
  for (const auto& [shift, unit] : {std::pair{30, "GiB"}, {20, "MiB"}, {10, "KiB"}}) {
    const std::uint64_t step = std::uint64_t{1} << shift;
    if (bytes >= step && bytes % step == 0) return std::to_string(bytes / step) + " " + unit;
  }
  return std::to_string(bytes) + " bytes";
}

std::string AccessionOfSeqId(std::string_view seqId) {
  const std::size_t gi = seqId.find("gi|");
  if (gi != std::string_view::npos && (gi == 0 || seqId[gi - 1] == '|')) {
    const std::string_view rest = seqId.substr(gi + 3);
    return std::string(rest.substr(0, rest.find('|')));
  }
  const std::size_t bar = seqId.find('|');
  if (bar == std::string_view::npos) return std::string(seqId);
  std::string_view rest = seqId.substr(bar + 1);
  // "gnl|DATABASE|ID": the id is the third field.
  if (seqId.substr(0, bar) == "gnl" && rest.find('|') != std::string_view::npos)
    rest.remove_prefix(rest.find('|') + 1);
  const std::string_view field = rest.substr(0, rest.find('|'));
  return std::string(field.empty() ? seqId : field);
}

}  // namespace blastsearch
