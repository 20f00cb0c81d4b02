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
#include <QStyle>
#include <QStyleOptionButton>
#include <QTreeWidget>
#include <QVariant>
#include <algorithm>
#include <array>
#include <vector>

namespace blastsearch {

namespace {

constexpr const char* kIdProperty = "dlgCtrlId";
// Dialog units in a line of text, and in an average character's width.
constexpr int kUnitsPerLine = 8;
constexpr int kUnitsPerChar = 4;
// How far a dialog's units may be widened to fit its texts, at most.
constexpr qreal kMostWidening = 1.5;

// The pixels of one dialog unit across and down.
struct CDialogUnit {
  qreal m_x;
  qreal m_y;
};

// The dialog unit of `font`: a quarter of its average character width (over
// the 52 letters), an eighth of its line height.
CDialogUnit FontUnit(const QFont& font) {
  const QFontMetricsF metrics(font);
  const qreal letters = metrics.horizontalAdvance(
      QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz"));
  return {letters / 52 / kUnitsPerChar, metrics.height() / kUnitsPerLine};
}

// A rectangle in dialog units in pixels; neighbours sharing an edge in units
// share it in pixels.
QRect ToPixels(CDialogUnit unit, int x, int y, int cx, int cy) {
  const int left = qRound(x * unit.m_x);
  const int top = qRound(y * unit.m_y);
  return QRect(left, top, qRound((x + cx) * unit.m_x) - left, qRound((y + cy) * unit.m_y) - top);
}

// The size in pixels the text of `widget` needs to show whole (0 across or
// down: no need that way).
QSize TextNeeds(const QWidget* widget) {
  if (const auto* label = qobject_cast<const QLabel*>(widget)) {
    if (label->text().isEmpty() || label->wordWrap()) return {};
    return label->sizeHint();
  }
  if (const auto* box = qobject_cast<const QCheckBox*>(widget)) return {box->sizeHint().width(), 0};
  if (const auto* group = qobject_cast<const QGroupBox*>(widget)) {
    return group->title().isEmpty() ? QSize() : QSize(group->minimumSizeHint().width(), 0);
  }
  if (const auto* button = qobject_cast<const QPushButton*>(widget)) {
    if (button->text().isEmpty()) return {};
    // The button's edges, measured on a face of any size, around its text.
    QStyleOptionButton option;
    option.initFrom(button);
    option.rect = QRect(0, 0, 200, 40);
    const int room =
        button->style()->subElementRect(QStyle::SE_PushButtonContents, &option, button).width();
    const QString text = QString(button->text()).remove(QLatin1Char('&'));
    return {button->fontMetrics().horizontalAdvance(text) + option.rect.width() - room, 0};
  }
  return {};
}

// The dialog unit of `font` widened, as little as needed and within
// kMostWidening, so that the text of every control fits its box: the font
// a layout was drawn for has other proportions than the one shown.
CDialogUnit FittingUnit(const QFont& font, const CDialogLayout& layout,
                        const std::vector<QWidget*>& widgets) {
  const CDialogUnit plain = FontUnit(font);
  CDialogUnit unit = plain;
  for (int i = 0; i < layout.m_nControls; ++i) {
    const CControlLayout& control = layout.m_pControls[i];
    const QSize needs = TextNeeds(widgets[static_cast<std::size_t>(i)]);
    // One pixel more: rounding the edges may take one away.
    if (needs.width() > 0 && control.m_cx > 0) {
      unit.m_x = std::max(unit.m_x, (needs.width() + 1) / qreal(control.m_cx));
    }
    if (needs.height() > 0 && control.m_cy > 0) {
      unit.m_y = std::max(unit.m_y, (needs.height() + 1) / qreal(control.m_cy));
    }
  }
  return {std::min(unit.m_x, plain.m_x * kMostWidening),
          std::min(unit.m_y, plain.m_y * kMostWidening)};
}

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

// A list view with one column headed by the control's text; a view that
// shows no header keeps the text as its accessible name.
QWidget* MakeListView(QWidget* parent, const CControlLayout& control) {
  auto* view = new QTreeWidget(parent);
  const QString text = QString::fromUtf8(control.m_pszText);
  view->setHeaderLabels({text});
  view->setAccessibleName(text);
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
      // A text of one line stays on it; a taller box wraps its words.
      label->setWordWrap(control.m_cy >= 2 * kUnitsPerLine);
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

// Whether the text `label` lies across the top edge of a group box of
// `layout`, where it stands as the box's title.
bool LiesOnGroupEdge(const CDialogLayout& layout, const CControlLayout& label) {
  for (int i = 0; i < layout.m_nControls; ++i) {
    const CControlLayout& box = layout.m_pControls[i];
    if (box.m_kind != EControlKind::kGroupBox) continue;
    const bool across = box.m_y >= label.m_y && box.m_y < label.m_y + label.m_cy;
    const bool over = box.m_x < label.m_x + label.m_cx && label.m_x < box.m_x + box.m_cx;
    if (across && over) return true;
  }
  return false;
}

}  // namespace

void SetControlFactory(EControlKind kind, ControlFactory factory) {
  Factories().at(static_cast<std::size_t>(kind)) = factory;
}

QRect DialogUnitsToPixels(const QFont& font, int x, int y, int cx, int cy) {
  return ToPixels(FontUnit(font), x, y, cx, cy);
}

void BuildDialogControls(QWidget* parent, const CDialogLayout& layout) {
  std::vector<QWidget*> widgets;
  widgets.reserve(static_cast<std::size_t>(std::max(layout.m_nControls, 0)));
  for (int i = 0; i < layout.m_nControls; ++i) {
    const CControlLayout& control = layout.m_pControls[i];
    const ControlFactory factory = Factories().at(static_cast<std::size_t>(control.m_kind));
    QWidget* widget =
        factory != nullptr ? factory(parent, control) : MakePlainControl(parent, control);
    if (auto* box = qobject_cast<QComboBox*>(widget); box != nullptr && box->count() == 0) {
      AddLayoutItems(box, control);
    }
    if (control.m_kind == EControlKind::kStatic && LiesOnGroupEdge(layout, control)) {
      // The text hides the edge behind it, as a title does.
      widget->setAutoFillBackground(true);
    }
    SetDlgCtrlID(widget, control.m_nId);
    widgets.push_back(widget);
  }
  const CDialogUnit unit = FittingUnit(parent->font(), layout, widgets);
  parent->resize(ToPixels(unit, 0, 0, layout.m_cx, layout.m_cy).size());
  for (int i = 0; i < layout.m_nControls; ++i) {
    const CControlLayout& control = layout.m_pControls[i];
    QWidget* widget = widgets[static_cast<std::size_t>(i)];
    widget->setGeometry(ToPixels(unit, control.m_x, control.m_y, control.m_cx, control.m_cy));
    if (control.m_kind == EControlKind::kComboList || control.m_kind == EControlKind::kDropList) {
      // The layout's height holds the dropped-down list; the box is one line.
      widget->resize(widget->width(), widget->sizeHint().height());
    }
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
