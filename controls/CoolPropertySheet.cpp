#include "controls/CoolPropertySheet.h"

#include <QCoreApplication>
#include <QFontMetrics>
#include <QImage>
#include <QKeyEvent>
#include <QPainter>
#include <QTabBar>

#include "controls/CheckPropPageButton.h"
#include "controls/CheckTabCtrl.h"
#include "host/qt/OrvDialog.h"
#include "platform/StringTable.h"
#include "resources/CheckNotifyName.h"

namespace blastsearch {

namespace {

// Twice the platform's border width and height, in pixels.
constexpr int kBorderX = 2;
constexpr int kBorderY = 2;

QString WithoutTrailingSpace(QString text) {
  while (!text.isEmpty() && text.back().isSpace()) text.chop(1);
  return text;
}

// The string `id` of the loaded modules' string tables; empty when missing.
QString CaptionString(unsigned id) {
  std::string text;
  if (LoadString(id, text) == 0) return {};
  return QString::fromStdString(text);
}

// The row of Qt's 8 x 8 horizontal hatch that carries its line, with the
// brush origin at 0,0: found by painting the pattern once, so the answer
// follows whatever pattern the Qt in use has.
int HatchLineRow() {
  static const int row = [] {
    QImage cell(1, 8, QImage::Format_ARGB32_Premultiplied);
    cell.fill(Qt::transparent);
    QPainter painter(&cell);
    painter.fillRect(cell.rect(), QBrush(Qt::black, Qt::HorPattern));
    painter.end();
    for (int y = 0; y < cell.height(); ++y) {
      if (qAlpha(cell.pixel(0, y)) != 0) return y;
    }
    return 0;
  }();
  return row;
}

// Frames `r` with a black horizontal hatch, one pixel wide. The hatch has a
// line every eighth row, so a one-pixel row painted with the brush as it is
// comes out empty on seven rows of eight: the top and bottom rows get the
// brush origin moved so that the line falls on them (whole lines), the sides
// keep it (dotted lines).
void FrameHatched(QPainter& painter, const QRect& r) {
  if (r.isEmpty()) return;
  const QBrush hatch(Qt::black, Qt::HorPattern);
  const QPoint origin = painter.brushOrigin();
  for (const int y : {r.top(), r.bottom()}) {
    painter.setBrushOrigin(origin.x(), y - HatchLineRow());
    painter.fillRect(QRect(r.left(), y, r.width(), 1), hatch);
  }
  painter.setBrushOrigin(origin);
  painter.fillRect(QRect(r.left(), r.top(), 1, r.height()), hatch);
  painter.fillRect(QRect(r.right(), r.top(), 1, r.height()), hatch);
}

}  // namespace

IMPLEMENT_DYNCREATE(CCoolPropertySheet, CObject)

CCoolPropertySheet::CCoolPropertySheet() = default;

CCoolPropertySheet::CCoolPropertySheet(unsigned captionId, QWidget* parent, int firstPage)
    : COrvPropertySheet(CaptionString(captionId), parent, firstPage) {}

CCoolPropertySheet::CCoolPropertySheet(const QString& caption, QWidget* parent, int firstPage)
    : COrvPropertySheet(caption, parent, firstPage) {}

CCoolPropertySheet::~CCoolPropertySheet() {
  if (m_tabCtrl != nullptr) m_tabCtrl->DetachSheet();
  for (CEntry& entry : m_checkButtons) {
    delete entry.m_pButton;
    entry.m_pButton = nullptr;
  }
}

int CCoolPropertySheet::EnablePageCheck(int index) {
  if (index < 0) return 1;
  if (static_cast<std::size_t>(index) >= m_checkButtons.size()) {
    m_checkButtons.resize(static_cast<std::size_t>(index) + 1);
  }
  m_checkButtons[static_cast<std::size_t>(index)].m_bRequested = true;
  return 1;
}

CCheckPropPageButton* CCoolPropertySheet::GetCheckButton(int index) const {
  if (index < 0 || static_cast<std::size_t>(index) >= m_checkButtons.size()) return nullptr;
  return m_checkButtons[static_cast<std::size_t>(index)].m_pButton;
}

void CCoolPropertySheet::SetPageCheck(int index, int state) {
  if (CCheckPropPageButton* button = GetCheckButton(index); button != nullptr) {
    button->setChecked(state != 0);
  }
}

int CCoolPropertySheet::GetPageCheck(int index) const {
  const CCheckPropPageButton* button = GetCheckButton(index);
  if (button == nullptr) return -1;
  return button->isChecked() ? 1 : 0;
}

int CCoolPropertySheet::OnInitDialog() {
  const int answer = COrvPropertySheet::OnInitDialog();
  if (m_tabCtrl == nullptr) return answer;
  std::vector<CEntry> requested = std::move(m_checkButtons);
  m_checkButtons.assign(static_cast<std::size_t>(GetPageCount()), CEntry{});
  for (int i = 0; i < GetPageCount(); ++i) {
    const auto at = static_cast<std::size_t>(i);
    if (at < requested.size() && requested[at].m_bRequested) CreateCheckButton(i, 0);
  }
  return answer;
}

QTabBar* CCoolPropertySheet::MakeTabBar() {
  m_tabCtrl = new CCheckTabCtrl(this);
  return m_tabCtrl;
}

int CCoolPropertySheet::CreateCheckButton(int index, int initial) {
  if (m_tabCtrl == nullptr || index < 0 || index >= GetPageCount()) return 0;
  auto* button = new CCheckPropPageButton(m_tabCtrl, index + 1);
  if (initial != 0) button->setChecked(true);
  button->setFont(m_tabCtrl->font());
  if (static_cast<std::size_t>(index) >= m_checkButtons.size()) {
    m_checkButtons.resize(static_cast<std::size_t>(index) + 1);
  }
  delete m_checkButtons[static_cast<std::size_t>(index)].m_pButton;
  m_checkButtons[static_cast<std::size_t>(index)].m_pButton = button;
  PadTabText(index);
  return 1;
}

void CCoolPropertySheet::PadTabText(int index) {
  if (m_tabCtrl == nullptr || index < 0 || index >= m_tabCtrl->count()) return;
  QString text = m_tabCtrl->tabText(index).left(255);
  while (!text.isEmpty() && text.front().isSpace()) text.remove(0, 1);
  const QFontMetrics metrics(font());
  const int width = metrics.horizontalAdvance(text);
  while (metrics.horizontalAdvance(text) <= width + 20) text += QLatin1Char(' ');
  m_tabCtrl->setTabText(index, text);
}

QRect CCoolPropertySheet::ClipItem(const QRect& item) const {
  QRect clipped = item;
  for (QObject* child : m_tabCtrl->children()) {
    auto* widget = qobject_cast<QWidget*>(child);
    if (widget == nullptr || !widget->isVisible() ||
        dynamic_cast<CCheckPropPageButton*>(widget) != nullptr) {
      continue;
    }
    const int left = widget->geometry().left();
    if (left >= item.left() && left <= item.right()) {
      clipped.setRight(left - 1);  // keep out from under the scroll arrows
      break;
    }
  }
  return clipped;
}

void CCoolPropertySheet::OnDrawItem(QPainter& painter, int index, const QRect& item) {
  if (GetPage(index) == nullptr || m_tabCtrl == nullptr) return;
  const QRect clipped = ClipItem(item);
  const QString text = m_tabCtrl->tabText(index).left(255);
  const bool active = index == m_tabCtrl->currentIndex();
  CCheckPropPageButton* button = GetCheckButton(index);
  if (button == nullptr) {
    painter.setPen(palette().color(QPalette::WindowText));
    painter.drawText(clipped, Qt::AlignCenter | Qt::TextSingleLine, text);
  } else {
    QRect place = clipped;
    if (active) {
      place.adjust(3 * kBorderX, 2 * kBorderY, -2 * kBorderX, -2 * kBorderY);
    } else {
      place.adjust(2 * kBorderX, 2 * kBorderY, 0, 0);
    }
    if (button->geometry() != place) button->setGeometry(place);
    const QString label = WithoutTrailingSpace(text) + QLatin1Char(' ');
    if (button->text() != label) button->setText(label);
    if (button->isHidden()) button->show();
  }
  if (active) FrameHatched(painter, clipped);
}

bool CCoolPropertySheet::OnTabKey(int key, bool press) {
  if (key != Qt::Key_Space) return false;
  CCheckPropPageButton* button = GetCheckButton(GetActiveIndex());
  if (button == nullptr) return false;
  QKeyEvent forwarded(press ? QEvent::KeyPress : QEvent::KeyRelease, Qt::Key_Space, Qt::NoModifier,
                      QStringLiteral(" "));
  QCoreApplication::sendEvent(button, &forwarded);
  return true;
}

bool CCoolPropertySheet::event(QEvent* event) {
  const int type = static_cast<int>(event->type());
  if (type == CheckNotifyMessage() || type == BmSetCheckMessage()) {
    auto* message = static_cast<CWindowMessage*>(event);
    message->m_lResult = type == CheckNotifyMessage()
                             ? OnCheckNotify(message->m_wParam, message->m_lParam)
                             : OnSetPageCheck(message->m_wParam, message->m_lParam);
    return true;
  }
  return COrvPropertySheet::event(event);
}

LRESULT CCoolPropertySheet::OnCheckNotify(WPARAM wParam, LPARAM lParam) {
  const int index = static_cast<int>(LoWord(lParam)) - 1;
  if (COrvPropertyPage* page = GetPage(index); page != nullptr && page->HasWindow()) {
    SendMessage(page, CheckNotifyMessage(), wParam, lParam);
  }
  return 1;
}

LRESULT CCoolPropertySheet::OnSetPageCheck(WPARAM wParam, LPARAM lParam) {
  const auto* page = reinterpret_cast<const COrvPropertyPage*>(lParam);
  const int index = page != nullptr ? GetPageIndex(page) : -1;
  if (index < 0) return 0;
  SetPageCheck(index, static_cast<int>(wParam));
  return 1;
}

}  // namespace blastsearch
