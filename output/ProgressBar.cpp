#include "output/ProgressBar.h"

#include <ostream>

namespace blastsearch {

namespace {

// Labels longer than this keep their end ("...name").
constexpr std::size_t kMaxLabel = 40;

}  // namespace

std::string CProgressBar::Text(std::size_t done, std::size_t total, std::size_t width,
                               const std::string& label, bool showCount) {
  if (done > total) done = total;
  const std::size_t filled = total == 0 ? width : done * width / total;
  std::string text = "[" + std::string(filled, '#') + std::string(width - filled, ' ') + "]";
  if (showCount) text += " " + std::to_string(done) + "/" + std::to_string(total);
  if (!label.empty()) {
    text += ' ';
    text += label.size() <= kMaxLabel ? label : "..." + label.substr(label.size() - kMaxLabel + 3);
  }
  return text;
}

void CProgressBar::Step(std::size_t done, const std::string& label) {
  m_nDone = done;
  m_strLabel = label;
  Draw();
}

void CProgressBar::Clear() {
  if (!m_bDrawn) return;
  m_stream << "\r\033[K" << std::flush;
  m_bDrawn = false;
}

void CProgressBar::Draw() {
  m_stream << "\r\033[K" << Text(m_nDone, m_nTotal, m_nWidth, m_strLabel, m_bShowCount)
           << std::flush;
  m_bDrawn = true;
}

}  // namespace blastsearch
