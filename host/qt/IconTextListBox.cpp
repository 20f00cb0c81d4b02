#include "host/qt/IconTextListBox.h"

#include <QStyle>
#include <algorithm>
#include <cctype>

namespace blastsearch {

namespace {

bool ComesBefore(const std::string& a, const std::string& b) {
  const auto lower = [](char x, char y) {
    return std::tolower(static_cast<unsigned char>(x)) <
           std::tolower(static_cast<unsigned char>(y));
  };
  const bool before = std::lexicographical_compare(a.begin(), a.end(), b.begin(), b.end(), lower);
  const bool after = std::lexicographical_compare(b.begin(), b.end(), a.begin(), a.end(), lower);
  return before || (!after && a < b);
}

QIcon ImageOf(const QStyle* style, int bitmapId, int image) {
  if (bitmapId == 305) {
    return style->standardIcon(image == 0 ? QStyle::SP_FileDialogInfoView
                                          : QStyle::SP_FileDialogDetailedView);
  }
  return style->standardIcon(image == 1 ? QStyle::SP_FileDialogContentsView : QStyle::SP_FileIcon);
}

}  // namespace

CIconTextListBox::CIconTextListBox(QWidget* parent, bool sorted)
    : QListWidget(parent), m_bSorted(sorted) {
  connect(this, &QListWidget::itemSelectionChanged, this, [this] { MirrorSelection(); });
}

int CIconTextListBox::SubclassDlgITLBox(int bitmapId, int, int) {
  m_nBitmapId = bitmapId;
  return 1;
}

void CIconTextListBox::SetCheckListMode(int on) {
  m_bCheckList = on != 0;
  MirrorSelection();
}

int CIconTextListBox::AddString(const std::string& text, int image, int itemData) {
  int index = count();
  if (m_bSorted) {
    index = 0;
    while (index < count() && !ComesBefore(text, GetText(index))) ++index;
  }
  auto* item =
      new QListWidgetItem(ImageOf(style(), m_nBitmapId, image), QString::fromStdString(text));
  item->setData(Qt::UserRole, itemData);
  m_bMirroring = true;
  if (m_bCheckList) {
    item->setFlags(item->flags() & ~Qt::ItemIsUserCheckable);  // a click selects, and so checks
    item->setCheckState(Qt::Unchecked);
  }
  insertItem(index, item);
  m_bMirroring = false;
  return index;
}

std::string CIconTextListBox::GetText(int index) const {
  const QListWidgetItem* it = item(index);
  return it != nullptr ? it->text().toStdString() : std::string();
}

int CIconTextListBox::GetItemData(int index) const {
  const QListWidgetItem* it = item(index);
  return it != nullptr ? it->data(Qt::UserRole).toInt() : 0;
}

int CIconTextListBox::GetSel(int index) const {
  const QListWidgetItem* it = item(index);
  return it != nullptr && it->isSelected() ? 1 : 0;
}

void CIconTextListBox::SetSel(int index, bool on) {
  if (QListWidgetItem* it = item(index); it != nullptr) it->setSelected(on);
}

int CIconTextListBox::GetSelCount() const { return static_cast<int>(selectedItems().size()); }

void CIconTextListBox::MirrorSelection() {
  if (!m_bCheckList || m_bMirroring) return;
  m_bMirroring = true;
  for (int i = 0; i < count(); ++i) {
    item(i)->setCheckState(item(i)->isSelected() ? Qt::Checked : Qt::Unchecked);
  }
  m_bMirroring = false;
}

int FindStringExactCase(const CIconTextListBox& box, int start, const std::string& text) {
  for (int i = std::max(start + 1, 0); i < box.GetCount(); ++i) {
    if (box.GetText(i) == text) return i;
  }
  return -1;
}

}  // namespace blastsearch
