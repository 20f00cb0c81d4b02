#pragma once

#include <QDialog>
#include <QWidget>

#include "platform/Export.h"
#include "platform/qt/DataExchange.h"

namespace blastsearch BLASTSEARCH_EXPORT {

class COrvPropertySheet;

// The host's dialog base: a dialog built from its layout (resources), with
// the data exchange of its controls and the host's two standard buttons:
// the control numbered 1 ends the dialog with 1 (OK), the one numbered 2
// with 2 (cancel), as does Escape. Numbers are read when a button is
// clicked, so renumbering a button changes what it does.
class COrvDialog : public QDialog {
 public:
  // A dialog of layout `layoutId` (a layout of the resources; an unknown one
  // gives an empty dialog). The window is made by Create or DoModal.
  explicit COrvDialog(int layoutId, QWidget* parent = nullptr);
  ~COrvDialog() override;

  // Builds the controls (once) and runs OnInitDialog: 1. Safe to call again.
  int Create();
  // Create, then runs the dialog modally; its result (1 OK, 2 cancel).
  int DoModal();
  // Ends the dialog with `result`.
  void EndDialog(int result) { done(result); }
  // Transfers data in (true) or out (false) through DoDataExchange: 1.
  int UpdateData(bool saveAndValidate = true);
  // The control numbered `id`, or null.
  QWidget* GetDlgItem(int id) const;
  bool IsCreated() const { return m_bCreated; }

 protected:
  // After the controls are built: transfers data out; 1.
  virtual int OnInitDialog();
  virtual void DoDataExchange(CDataExchange& dx);
  void reject() override { done(2); }

 private:
  void OnButton(QWidget* button);
  int m_nLayoutId;
  bool m_bCreated = false;
};

// The host's property page base: a page built from its layout when its
// sheet first shows it; its caption is the layout's. Owned by whoever made
// it, never by the sheet that shows it.
class COrvPropertyPage : public QWidget {
 public:
  explicit COrvPropertyPage(int layoutId);
  ~COrvPropertyPage() override;

  // The layout's caption.
  QString GetCaption() const;
  // Builds the controls under `parent` and runs OnInitDialog (once): 1.
  int CreatePage(QWidget* parent);
  // True once the page's window (its controls) exists.
  bool HasWindow() const { return m_bCreated; }
  int UpdateData(bool saveAndValidate = true);
  QWidget* GetDlgItem(int id) const;
  // The sheet the page was added to, or null.
  COrvPropertySheet* GetParentSheet() const { return m_pSheet; }

 protected:
  // After the controls are built: transfers data out; 1.
  virtual int OnInitDialog();
  virtual void DoDataExchange(CDataExchange& dx);

 private:
  friend class COrvPropertySheet;
  int m_nLayoutId;
  bool m_bCreated = false;
  COrvPropertySheet* m_pSheet = nullptr;
};

}  // namespace BLASTSEARCH_EXPORT
