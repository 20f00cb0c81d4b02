#pragma once

#include <cstddef>
#include <iosfwd>
#include <string>

#include "platform/Export.h"

namespace blastsearch BLASTSEARCH_EXPORT {

// A one-line progress bar on a terminal: "[#####     ] 12/40 name". Owned by
// the command that shows it; the line is cleared when it is destroyed. Lines
// of other output are written between Clear and Draw.
class CProgressBar {
 public:
  // A bar over `total` steps written to `stream` (a terminal), `width`
  // characters wide between the brackets.
  CProgressBar(std::ostream& stream, std::size_t total, std::size_t width = 30)
      : m_stream(stream), m_nTotal(total), m_nWidth(width) {}
  CProgressBar(const CProgressBar&) = delete;
  CProgressBar& operator=(const CProgressBar&) = delete;
  ~CProgressBar() { Clear(); }

  // Moves to step `done` with `label` (a file name) and draws the bar.
  void Step(std::size_t done, const std::string& label);
  // Removes the bar from its line; harmless when it is not drawn.
  void Clear();
  // Draws the bar again as it was.
  void Draw();
  // Whether the bar shows "done/total" after it (it does unless told; a bar
  // over bytes says more in its label).
  void ShowCount(bool show) { m_bShowCount = show; }

  // The bar's text for `done` of `total` steps (without the line's return).
  static std::string Text(std::size_t done, std::size_t total, std::size_t width,
                          const std::string& label, bool showCount = true);

 private:
  std::ostream& m_stream;
  std::size_t m_nTotal;
  std::size_t m_nWidth;
  std::size_t m_nDone = 0;
  std::string m_strLabel;
  bool m_bDrawn = false;
  bool m_bShowCount = true;
};

}  // namespace BLASTSEARCH_EXPORT
