#pragma once

#include <cstdint>
#include <string>

#include "parse/ResultReader.h"

namespace blastsearch {

class CInputFile;
class CInterruptCatcher;

// An opened input as a report source: first the bytes it holds (the first
// look), then the rest read straight from the input, never held whole.
// Reading more than `limit` bytes in all throws CFileException naming the
// input ("more than 1 GiB of input; --max-input raises the limit").
//
// Ctrl-C: with `stopOnInterrupt` (the readers that take the whole report
// before they parse), a Ctrl-C ends the input where it is, and the catcher is
// rearmed so that the parse of what arrived runs and a further Ctrl-C stops
// it. Without it (the readers that stop at the next result themselves), only
// a read blocked on a pipe or terminal ends at a Ctrl-C, and the stop flag
// stays set. WasCut() tells whether the input was ended so. The input and
// the catcher must outlive the source.
class CInputReportSource : public CReportSource {
 public:
  CInputReportSource(CInputFile& input, std::uint64_t limit, CInterruptCatcher& catcher,
                     bool stopOnInterrupt);
  std::size_t Read(char* buffer, std::size_t size) override;
  const std::string& GetName() const override;
  // The rest of a file on disk as it was opened; 0 for a pipe or device.
  std::uint64_t GetRemainingHint() const override;
  // True when a Ctrl-C ended the input before its end.
  bool WasCut() const { return m_bCut; }

 private:
  bool IsStopSet() const;

  CInputFile& m_input;
  std::uint64_t m_nLimit;
  CInterruptCatcher& m_catcher;
  bool m_bStopOnInterrupt;
  std::uint64_t m_nGiven = 0;
  bool m_bCut = false;
};

}  // namespace blastsearch
