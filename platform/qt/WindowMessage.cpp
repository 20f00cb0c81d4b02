#include "platform/qt/WindowMessage.h"

#include <QCoreApplication>
#include <QObject>

namespace blastsearch {

LRESULT SendMessage(QObject* receiver, int type, WPARAM wParam, LPARAM lParam) {
  if (receiver == nullptr) return 0;
  CWindowMessage message(type, wParam, lParam);
  QCoreApplication::sendEvent(receiver, &message);
  return message.m_lResult;
}

int BmSetCheckMessage() {
  static const int type = RegisterWindowMessage("BM_SETCHECK");
  return type;
}

int BmGetCheckMessage() {
  static const int type = RegisterWindowMessage("BM_GETCHECK");
  return type;
}

LPARAM MakeLParam(unsigned low, unsigned high) {
  return static_cast<LPARAM>((static_cast<std::uint32_t>(high & 0xFFFFu) << 16) | (low & 0xFFFFu));
}

unsigned LoWord(LPARAM value) { return static_cast<unsigned>(value) & 0xFFFFu; }

unsigned HiWord(LPARAM value) { return (static_cast<unsigned>(value) >> 16) & 0xFFFFu; }

}  // namespace blastsearch
