#include "app/InputReportSource.h"

#include <algorithm>
#include <atomic>
#include <cstring>
#include <utility>

#include "app/InterruptCatcher.h"
#include "platform/InputFile.h"

namespace blastsearch {

CInputReportSource::CInputReportSource(CInputFile& input, std::uint64_t limit,
                                       CInterruptCatcher& catcher, bool stopOnInterrupt)
    : m_input(input), m_nLimit(limit), m_catcher(catcher), m_bStopOnInterrupt(stopOnInterrupt) {}

const std::string& CInputReportSource::GetName() const { return m_input.GetName(); }

std::uint64_t CInputReportSource::GetRemainingHint() const {
  const std::uint64_t length = m_input.GetOpenedLength();
  return m_bCut || length <= m_nGiven ? 0 : length - m_nGiven;
}

bool CInputReportSource::IsStopSet() const {
  return std::atomic_ref<int>(*m_catcher.StopFlag()).load(std::memory_order_relaxed) != 0;
}

std::size_t CInputReportSource::Read(char* buffer, std::size_t size) {
  if (m_bCut) return 0;
  std::size_t got = 0;
  const std::string_view held = m_input.View();
  if (m_nGiven < held.size()) {
    got = std::min<std::size_t>(size, held.size() - m_nGiven);
    std::memcpy(buffer, held.data() + m_nGiven, got);
  } else {
    if (!(m_bStopOnInterrupt && IsStopSet()))
      got = m_input.ReadOn(buffer, size, m_catcher.StopFlag());
    if (got == 0 && IsStopSet()) {
      // Ctrl-C came: the input ends here (a read blocked on a pipe or
      // terminal was ended by it, or the reader parses what arrived).
      m_bCut = true;
      if (m_bStopOnInterrupt) m_catcher.Rearm();
      return 0;
    }
  }
  m_nGiven += got;
  if (m_nGiven > m_nLimit) {
    throw CFileException(
        GetName(), "more than " + SizeText(m_nLimit) + " of input; --max-input raises the limit");
  }
  return got;
}

}  // namespace blastsearch
