#include "host/editor/EditorPropSheet.h"

#include <exception>

#include "host/editor/EditObjectPage.h"
#include "platform/UserInteraction.h"

namespace blastsearch {

namespace {

CEditorSheetRunner* g_pRunner = nullptr;

}  // namespace

CEditorPropSheet::CEditorPropSheet(std::string title, HWND parent, int firstPage)
    : m_strTitle(std::move(title)), m_hParent(parent), m_nFirstPage(firstPage) {}

CEditorPropSheet::~CEditorPropSheet() = default;

void CEditorPropSheet::AddPage(CEditObjectPage* page) {
  if (page != nullptr) m_pages.push_back(page);
}

CEditObjectPage* CEditorPropSheet::GetPage(int index) const {
  if (index < 0 || index >= GetPageCount()) return nullptr;
  return m_pages[static_cast<std::size_t>(index)];
}

int CEditorPropSheet::GetFirstPage() const {
  return m_nFirstPage >= 0 && m_nFirstPage < GetPageCount() ? m_nFirstPage : 0;
}

std::string EditorSheetTitle(int isNew, const std::string& name, int /*sheetKind*/) {
  if (isNew != 0) return name.empty() ? "New Object" : "New Object: " + name;
  return "Object Properties: " + name;
}

int EditorSheetDefPage(int isNew, int sheetKind) {
  if (isNew != 0) return 0;
  return sheetKind >= 0 && sheetKind <= 3 ? sheetKind : 0;
}

HWND OrvDialogParent(HWND parent) { return parent; }

CEditorSheetRunner* EditorSheetRunner() { return g_pRunner; }

CEditorSheetRunner* SetEditorSheetRunner(CEditorSheetRunner* runner) {
  CEditorSheetRunner* previous = g_pRunner;
  g_pRunner = runner;
  return previous;
}

int OrvDoModal(CEditorPropSheet& sheet) {
  if (g_pRunner == nullptr) return IDCANCEL;
  try {
    return g_pRunner->RunSheet(sheet) == IDOK ? IDOK : IDCANCEL;
  } catch (const std::exception&) {
    return IDCANCEL;
  }
}

}  // namespace blastsearch
