#pragma once

#include <QListWidget>
#include <string>

#include "platform/Export.h"

namespace blastsearch BLASTSEARCH_EXPORT {

// The host's icon list box: items of text with an icon from the box's image
// set and a number of item data. Sorted boxes keep their items in the
// host's order (letter case ignored, then exact); check-list boxes show a
// check box on every item that mirrors its selection.
class CIconTextListBox : public QListWidget {
 public:
  // A box under `parent` (owned by it); `sorted` keeps it sorted.
  CIconTextListBox(QWidget* parent, bool sorted);

  // Chooses the image set (`bitmapId`: 318 substrings and keywords, 305
  // fields; the other two numbers are the host's and unused): 1.
  int SubclassDlgITLBox(int bitmapId, int mask, int extra);
  // Shows check boxes mirroring the selection (non-zero) or not.
  void SetCheckListMode(int on);
  // Adds `text` with `image` of the set and `itemData`; its index.
  int AddString(const std::string& text, int image, int itemData = 0);
  int GetCount() const { return count(); }
  std::string GetText(int index) const;
  int GetItemData(int index) const;
  int GetSel(int index) const;
  void SetSel(int index, bool on);
  int GetSelCount() const;
  void ResetContent() { clear(); }

 private:
  void MirrorSelection();

  bool m_bSorted;
  bool m_bCheckList = false;
  bool m_bMirroring = false;
  int m_nBitmapId = 0;
};

// The index of the first item from `start` + 1 on (-1: from the first)
// whose text is exactly `text`, letter case included, or -1.
int FindStringExactCase(const CIconTextListBox& box, int start, const std::string& text);

}  // namespace BLASTSEARCH_EXPORT
