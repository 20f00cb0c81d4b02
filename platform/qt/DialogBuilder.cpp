#include "platform/qt/DialogBuilder.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFontMetrics>
#include <QFrame>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTreeWidget>
#include <QVariant>
#include <array>

namespace blastsearch {

namespace {

constexpr const char* kIdProperty = "dlgCtrlId";

std::array<ControlFactory, kControlKinds>& Factories() {
  static std::array<ControlFactory, kControlKinds> factories{};
  return factories;
}

QWidget* MakeListBox(QWidget* parent, const CControlLayout& control) {
  auto* list = new QListWidget(parent);
  list->setSortingEnabled((control.m_nStyle & LBS_SORT) != 0);
  if ((control.m_nStyle & LBS_EXTENDEDSEL) != 0) {
    list->setSelectionMode(QAbstractItemView::ExtendedSelection);
  } else if ((control.m_nStyle & LBS_MULTIPLESEL) != 0) {
    list->setSelectionMode(QAbstractItemView::MultiSelection);
  }
  return list;
}

QWidget* MakeListView(QWidget* parent, const CControlLayout& control) {
  auto* view = new QTreeWidget(parent);
  view->setRootIsDecorated(false);
  view->setHeaderHidden((control.m_nStyle & LVS_REPORT) == 0);
  view->setSelectionMode((control.m_nStyle & LVS_SINGLESEL) != 0
                             ? QAbstractItemView::SingleSelection
                             : QAbstractItemView::ExtendedSelection);
  return view;
}

// Fills a drop-down list with the items of its layout entry.
void AddLayoutItems(QComboBox* box, const CControlLayout& control) {
  if (control.m_pszItems == nullptr) return;
  box->addItems(QString::fromUtf8(control.m_pszItems).split(QLatin1Char('\n')));
}

QWidget* MakePlainControl(QWidget* parent, const CControlLayout& control) {
  const QString text = QString::fromUtf8(control.m_pszText);
  switch (control.m_kind) {
    case EControlKind::kStatic: {
      auto* label = new QLabel(text, parent);
      label->setWordWrap(true);
      label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
      return label;
    }
    case EControlKind::kPushButton:
    case EControlKind::kDefButton: {
      auto* button = new QPushButton(text, parent);
      button->setDefault(control.m_kind == EControlKind::kDefButton);
      return button;
    }
    case EControlKind::kCheckBox:
      return new QCheckBox(text, parent);
    case EControlKind::kEdit:
      return new QLineEdit(parent);
    case EControlKind::kListBox:
      return MakeListBox(parent, control);
    case EControlKind::kComboList:
      return new QComboBox(parent);
    case EControlKind::kGroupBox:
      return new QGroupBox(text, parent);
    case EControlKind::kFrame: {
      auto* frame = new QFrame(parent);
      frame->setVisible(false);
      return frame;
    }
    case EControlKind::kListView:
      return MakeListView(parent, control);
    case EControlKind::kDropList:
      return new QComboBox(parent);
  }
  return new QWidget(parent);
}

}  // namespace

void SetControlFactory(EControlKind kind, ControlFactory factory) {
  Factories().at(static_cast<std::size_t>(kind)) = factory;
}

QRect DialogUnitsToPixels(const QFont& font, int x, int y, int cx, int cy) {
  const QFontMetrics metrics(font);
  const int letters = metrics.horizontalAdvance(
      QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz"));
  const int baseX = (letters / 26 + 1) / 2;
  const int baseY = metrics.height();
  return QRect(x * baseX / 4, y * baseY / 8, cx * baseX / 4, cy * baseY / 8);
}

void BuildDialogControls(QWidget* parent, const CDialogLayout& layout) {
  const QRect size = DialogUnitsToPixels(parent->font(), 0, 0, layout.m_cx, layout.m_cy);
  parent->resize(size.size());
  for (int i = 0; i < layout.m_nControls; ++i) {
    const CControlLayout& control = layout.m_pControls[i];
    const ControlFactory factory = Factories().at(static_cast<std::size_t>(control.m_kind));
    QWidget* widget =
        factory != nullptr ? factory(parent, control) : MakePlainControl(parent, control);
    widget->setGeometry(
        DialogUnitsToPixels(parent->font(), control.m_x, control.m_y, control.m_cx, control.m_cy));
    if (auto* box = qobject_cast<QComboBox*>(widget); box != nullptr && box->count() == 0) {
      AddLayoutItems(box, control);
    }
    if (control.m_kind == EControlKind::kComboList || control.m_kind == EControlKind::kDropList) {
      // The layout's height holds the dropped-down list; the box is one line.
      widget->resize(widget->width(), widget->sizeHint().height());
    }
    SetDlgCtrlID(widget, control.m_nId);
    // Controls made on a page already shown must be shown themselves.
    widget->setVisible(control.m_kind != EControlKind::kFrame);
  }
}

QWidget* GetDlgItem(const QWidget* parent, int id) {
  if (parent == nullptr || id == -1) return nullptr;
  for (QWidget* child : parent->findChildren<QWidget*>(QString(), Qt::FindDirectChildrenOnly)) {
    if (GetDlgCtrlID(child) == id) return child;
  }
  for (QWidget* child : parent->findChildren<QWidget*>()) {
    if (GetDlgCtrlID(child) == id) return child;
  }
  return nullptr;
}

int GetDlgCtrlID(const QWidget* control) {
  const QVariant id = control->property(kIdProperty);
  return id.isValid() ? id.toInt() : -1;
}

void SetDlgCtrlID(QWidget* control, int id) { control->setProperty(kIdProperty, id); }

}  // namespace blastsearch
