#include "host/editor/EditCommentsPage.h"

#include <vector>

#include "host/db/DBObjectBase.h"

namespace blastsearch {

namespace {

std::vector<std::string> LinesOf(const std::string& text) {
  std::vector<std::string> lines;
  if (text.empty()) return lines;
  std::size_t start = 0;
  while (true) {
    const std::size_t end = text.find('\n', start);
    std::string line = text.substr(start, end == std::string::npos ? end : end - start);
    if (!line.empty() && line.back() == '\r') line.pop_back();
    lines.push_back(std::move(line));
    if (end == std::string::npos) return lines;
    start = end + 1;
  }
}

}  // namespace

CEditCommentsPage::CEditCommentsPage(CDBObjectBase* object) : CEditObjectPage(kLayoutEditComments) {
  if (object == nullptr) return;
  for (std::size_t i = 0; i < object->m_comments.size(); ++i) {
    if (i != 0) m_text += '\n';
    m_text += object->m_comments[i];
  }
}

CEditCommentsPage::~CEditCommentsPage() = default;

int CEditCommentsPage::UpdateObject(CDBObjectBase* object) {
  if (object == nullptr) return 0;
  std::vector<std::string> lines = LinesOf(m_text);
  if (lines == object->m_comments) return 0;
  object->m_comments = std::move(lines);
  return kEditCommentChanged;
}

}  // namespace blastsearch
