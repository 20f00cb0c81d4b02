#include "host/qt/LocalTime.h"

#include <QDateTime>

namespace blastsearch {

QString LocalTimeText(long seconds) {
  if (seconds == 0) return {};
  return QDateTime::fromSecsSinceEpoch(seconds).toString(QStringLiteral("yyyy-MM-dd hh:mm:ss"));
}

}  // namespace blastsearch
