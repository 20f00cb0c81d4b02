#include "controls/CheckTabCtrl.h"

#include <QKeyEvent>
#include <QStyleOptionTab>
#include <QStylePainter>
#include <QToolButton>

#include "controls/CheckPropPageButton.h"

namespace blastsearch {

CCheckTabCtrl::CCheckTabCtrl(CCheckTabSheet* sheet) : m_pSheet(sheet) {
  connect(this, &QTabBar::currentChanged, this, [this] {
    HideCheckButtons();
    update();
  });
  // The scroll arrows: Qt's tab strip makes them with the strip.
  for (QToolButton* arrow : findChildren<QToolButton*>()) {
    connect(arrow, &QToolButton::clicked, this, [this] { OnDeltaPos(); });
  }
}

void CCheckTabCtrl::HideCheckButtons() {
  if (m_pSheet == nullptr) return;
  for (int i = 0; i < m_pSheet->CheckTabCount(); ++i) {
    if (CCheckPropPageButton* button = m_pSheet->GetCheckButton(i); button != nullptr) {
      button->hide();
    }
  }
}

void CCheckTabCtrl::OnDeltaPos() {
  update(QRect(0, 0, 10, count() > 0 ? tabRect(0).bottom() : height()));
  HideCheckButtons();
  update();
}

void CCheckTabCtrl::paintEvent(QPaintEvent* event) {
  if (m_pSheet == nullptr) {
    QTabBar::paintEvent(event);
    return;
  }
  QStylePainter painter(this);
  for (int i = 0; i < count(); ++i) {
    QStyleOptionTab option;
    initStyleOption(&option, i);
    option.text.clear();  // the label or the box comes from the sheet
    painter.drawControl(QStyle::CE_TabBarTabShape, option);
    m_pSheet->OnDrawItem(painter, i, tabRect(i));
  }
}

void CCheckTabCtrl::keyPressEvent(QKeyEvent* event) {
  if (event->key() == Qt::Key_Space && m_pSheet != nullptr &&
      m_pSheet->OnTabKey(Qt::Key_Space, true)) {
    event->accept();
    return;
  }
  if (event->key() == Qt::Key_Up || event->key() == Qt::Key_Down) {
    QKeyEvent across(QEvent::KeyPress, event->key() == Qt::Key_Up ? Qt::Key_Left : Qt::Key_Right,
                     event->modifiers());
    QTabBar::keyPressEvent(&across);
    event->setAccepted(across.isAccepted());
    return;
  }
  QTabBar::keyPressEvent(event);
}

void CCheckTabCtrl::keyReleaseEvent(QKeyEvent* event) {
  if (event->key() == Qt::Key_Space && m_pSheet != nullptr &&
      m_pSheet->OnTabKey(Qt::Key_Space, false)) {
    event->accept();
    return;
  }
  QTabBar::keyReleaseEvent(event);
}

}  // namespace blastsearch
