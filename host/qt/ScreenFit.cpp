#include "host/qt/ScreenFit.h"

#include <QGuiApplication>
#include <QScreen>
#include <QWidget>

namespace blastsearch {

void FitToScreen(QWidget* window) {
  if (window == nullptr) return;
  QScreen* screen = window->screen();
  if (screen == nullptr) screen = QGuiApplication::primaryScreen();
  if (screen == nullptr) return;
  const QRect room = screen->availableGeometry();
  const QSize size = window->size().boundedTo(room.size() * 9 / 10);
  if (size != window->size()) window->resize(size);
  if (!room.contains(window->frameGeometry().topLeft())) window->move(room.topLeft());
}

}  // namespace blastsearch
