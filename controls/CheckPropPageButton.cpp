#include "controls/CheckPropPageButton.h"

#include <QCoreApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QTabBar>
#include <cstdint>

#include "platform/RegisteredMessage.h"
#include "platform/qt/DialogBuilder.h"
#include "platform/qt/WindowMessage.h"
#include "resources/CheckNotifyName.h"

namespace blastsearch {

int CheckNotifyMessage() {
  static const int type = RegisterWindowMessage(kCheckNotifyMessageName);
  return type;
}

CCheckPropPageButton::CCheckPropPageButton(QWidget* tabStrip, int id) : QCheckBox(tabStrip) {
  SetDlgCtrlID(this, id);
  setGeometry(1, 1, 1, 1);
  hide();
}

void CCheckPropPageButton::NotifySheet(int code) {
  QWidget* strip = parentWidget();
  if (strip == nullptr) return;
  QWidget* sheet = nullptr;
  for (QWidget* up = strip->parentWidget(); up != nullptr && sheet == nullptr;
       up = up->parentWidget()) {
    if (dynamic_cast<CCheckTabSheet*>(up) != nullptr) sheet = up;
  }
  if (sheet == nullptr) return;
  const auto handle = static_cast<unsigned>(reinterpret_cast<std::uintptr_t>(this) & 0xFFFFu);
  SendMessage(sheet, CheckNotifyMessage(), static_cast<WPARAM>(code),
              MakeLParam(static_cast<unsigned>(GetDlgCtrlID(this)), handle));
}

void CCheckPropPageButton::mousePressEvent(QMouseEvent* event) {
  auto* strip = qobject_cast<QTabBar*>(parentWidget());
  if (strip == nullptr || event->button() != Qt::LeftButton) {
    QCheckBox::mousePressEvent(event);
    return;
  }
  const QPoint point = mapTo(strip, event->position().toPoint());
  const int under = strip->tabAt(point);
  const int current = strip->currentIndex();
  if (under >= 0 && under != current) {
    strip->setCurrentIndex(under);  // a first click only selects the tab
    event->accept();
    return;
  }
  QCheckBox::mousePressEvent(event);
}

void CCheckPropPageButton::mouseReleaseEvent(QMouseEvent* event) {
  QCheckBox::mouseReleaseEvent(event);
  if (event->button() == Qt::LeftButton) NotifySheet(0);
}

void CCheckPropPageButton::mouseDoubleClickEvent(QMouseEvent* event) {
  mousePressEvent(event);  // the platform takes a double click as a press
  if (event->button() == Qt::LeftButton) NotifySheet(5);
}

void CCheckPropPageButton::keyPressEvent(QKeyEvent* event) {
  switch (event->key()) {
    case Qt::Key_Left:
    case Qt::Key_Up:
    case Qt::Key_Right:
    case Qt::Key_Down:
      if (QWidget* strip = parentWidget(); strip != nullptr) {
        strip->setFocus(Qt::OtherFocusReason);
        QKeyEvent forwarded(QEvent::KeyPress, event->key(), event->modifiers(), event->text(),
                            event->isAutoRepeat(), static_cast<quint16>(event->count()));
        QCoreApplication::sendEvent(strip, &forwarded);
        event->accept();
        return;
      }
      break;
    default:
      break;
  }
  QCheckBox::keyPressEvent(event);
}

void CCheckPropPageButton::keyReleaseEvent(QKeyEvent* event) {
  const bool before = isChecked();
  QCheckBox::keyReleaseEvent(event);
  if (isChecked() != before) NotifySheet(0);
}

}  // namespace blastsearch
