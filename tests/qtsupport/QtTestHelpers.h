#pragma once

// Helpers of the window tests: letting queued paints and updates happen, and
// running a modal dialog's script from inside its event loop.

#include <QApplication>
#include <QTest>
#include <QTimer>
#include <functional>

namespace blastsearch {

// Lets posted events (paints, layout, deferred deletes) happen.
inline void Settle() {
  for (int i = 0; i < 4; ++i) QApplication::processEvents();
}

// Runs `script` on the modal widget that `open` brings up (found as the
// active modal widget once its loop runs); `open`'s result is returned.
template <typename Result>
Result WithModal(const std::function<Result()>& open, const std::function<void(QWidget*)>& script) {
  QTimer::singleShot(0, [script] {
    QWidget* modal = QApplication::activeModalWidget();
    script(modal);
  });
  return open();
}

}  // namespace blastsearch
