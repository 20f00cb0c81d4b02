#pragma once

#include <string>
#include <vector>

#include "platform/Export.h"

namespace blastsearch BLASTSEARCH_EXPORT {

class CEditObjectPage;

// A window handle as the host hands it around without knowing the window
// layer (a QWidget* in the Qt window program); null: none.
using HWND = void*;

// The object editor: a titled sheet of pages, run modally by the installed
// sheet runner (OrvDoModal). The sheet points at its pages; whoever made
// them owns them and keeps them alive while the sheet is used.
class CEditorPropSheet {
 public:
  // A sheet with `title`, shown over `parent` (null: the program's main
  // window), opening on the page of index `firstPage`.
  CEditorPropSheet(std::string title, HWND parent, int firstPage);
  CEditorPropSheet(const CEditorPropSheet&) = delete;
  CEditorPropSheet& operator=(const CEditorPropSheet&) = delete;
  ~CEditorPropSheet();

  // Adds `page` (not owned; null is ignored) as the last page.
  void AddPage(CEditObjectPage* page);
  int GetPageCount() const { return static_cast<int>(m_pages.size()); }
  // The page of `index`, or null.
  CEditObjectPage* GetPage(int index) const;
  // The first page of type `Page`, or null.
  template <typename Page>
  Page* FindPage() const {
    for (CEditObjectPage* page : m_pages) {
      if (auto* found = dynamic_cast<Page*>(page); found != nullptr) return found;
    }
    return nullptr;
  }

  const std::string& GetTitle() const { return m_strTitle; }
  HWND GetParent() const { return m_hParent; }
  // The index of the page shown first, within the pages (0 when out of
  // range).
  int GetFirstPage() const;

 private:
  std::string m_strTitle;
  HWND m_hParent;
  int m_nFirstPage;
  std::vector<CEditObjectPage*> m_pages;
};

// The editor's title: "New Object: <name>" ("New Object" without a name)
// for a new object, "Object Properties: <name>" for a stored one. Every
// sheet kind has the same words.
std::string EditorSheetTitle(int isNew, const std::string& name, int sheetKind);
// The page an editor opens on: the general page (0) for a new object, else
// the page the sheet kind names when it is one of the four host pages (0 to
// 3), else 0.
int EditorSheetDefPage(int isNew, int sheetKind);
// The window an editor is shown over: `parent`, or null for the program's
// main window (which the runner then chooses).
HWND OrvDialogParent(HWND parent);

// Runs an editor sheet modally: the Qt dialog in the window program, a
// script in tests. The pages' members are what the face edits.
class CEditorSheetRunner {
 public:
  virtual ~CEditorSheetRunner() = default;
  // Shows `sheet` and lets the person edit its pages' members; IDOK when
  // they accepted (members written), IDCANCEL otherwise (members as they
  // were).
  virtual int RunSheet(CEditorPropSheet& sheet) = 0;
};

// The runner in use, or null when none is installed.
CEditorSheetRunner* EditorSheetRunner();
// Installs `runner` (not owned; null: none) and returns the one it replaces.
CEditorSheetRunner* SetEditorSheetRunner(CEditorSheetRunner* runner);

// Runs `sheet` with the installed runner: its answer (IDOK, IDCANCEL);
// IDCANCEL when no runner is installed or the runner throws.
int OrvDoModal(CEditorPropSheet& sheet);

// A runner that installs itself for its lifetime and then restores the one
// it replaced. Not copyable.
class CScopedEditorSheetRunner : public CEditorSheetRunner {
 public:
  CScopedEditorSheetRunner() : m_pPrevious(SetEditorSheetRunner(this)) {}
  ~CScopedEditorSheetRunner() override { SetEditorSheetRunner(m_pPrevious); }
  CScopedEditorSheetRunner(const CScopedEditorSheetRunner&) = delete;
  CScopedEditorSheetRunner& operator=(const CScopedEditorSheetRunner&) = delete;

 private:
  CEditorSheetRunner* m_pPrevious;
};

}  // namespace BLASTSEARCH_EXPORT
