#pragma once

#include <QEvent>
#include <cstdint>
#include <string>

#include "platform/Export.h"
#include "platform/RegisteredMessage.h"

class QObject;

namespace blastsearch BLASTSEARCH_EXPORT {

// Window messages of the window layer. A message that the system defines
// itself is registered by name once per process and becomes a Qt event type
// of its own; the event carries the message's two parameters and the
// receiver's answer.
using WPARAM = std::uintptr_t;
using LPARAM = std::intptr_t;
using LRESULT = std::intptr_t;

// A registered message's number (RegisterWindowMessage, platform/) is also
// its Qt event type.

// A window message sent to a widget: its type, its two parameters and the
// answer its receiver sets (0 until set).
class CWindowMessage : public QEvent {
 public:
  CWindowMessage(int type, WPARAM wParam, LPARAM lParam)
      : QEvent(static_cast<QEvent::Type>(type)), m_wParam(wParam), m_lParam(lParam) {}

  WPARAM m_wParam;
  LPARAM m_lParam;
  LRESULT m_lResult = 0;
};

// Sends the message `type` with `wParam` and `lParam` to `receiver` at once
// and returns the receiver's answer (0 when it is null or ignores it).
LRESULT SendMessage(QObject* receiver, int type, WPARAM wParam, LPARAM lParam);

// Platform messages that the system sends itself (registered under their
// platform names): set or ask a check box's state.
int BmSetCheckMessage();
int BmGetCheckMessage();

// lParam of a notification: low word `low`, high word `high` (each cut to 16
// bits), and its halves.
LPARAM MakeLParam(unsigned low, unsigned high);
unsigned LoWord(LPARAM value);
unsigned HiWord(LPARAM value);

}  // namespace BLASTSEARCH_EXPORT
