// The windows' local time text and the fitting of a window to its screen.
#include <gtest/gtest.h>

#include <QDateTime>
#include <QGuiApplication>
#include <QScreen>
#include <QWidget>
#include <ctime>

#include "host/qt/LocalTime.h"
#include "host/qt/ScreenFit.h"

namespace blastsearch {

namespace {

TEST(LocalTimeText, LocalTimeAsTheCLibraryGivesItAndNothingForUnknown) {
  EXPECT_EQ(LocalTimeText(0), QString());
  for (long seconds : {1L, 86399L, 951782400L, 1796256000L, 4102444799L}) {
    const std::time_t when = seconds;
    std::tm local{};
    ASSERT_NE(localtime_r(&when, &local), nullptr);
    char expected[32];
    ASSERT_GT(std::strftime(expected, sizeof expected, "%Y-%m-%d %H:%M:%S", &local), 0u);
    EXPECT_EQ(LocalTimeText(seconds).toStdString(), expected) << seconds;
  }
}

TEST(FitToScreen, ShrinksToNineTenthsAndMovesACornerBackOntoTheScreen) {
  FitToScreen(nullptr);  // nothing to fit: nothing happens
  QScreen* screen = QGuiApplication::primaryScreen();
  ASSERT_NE(screen, nullptr);
  const QRect room = screen->availableGeometry();
  const QSize most = room.size() * 9 / 10;
  const struct {
    const char* what;
    QSize size;
    QPoint corner;
    QSize fitted;
    bool moved;
  } cases[] = {
      {"small and on the screen", QSize(100, 80), room.topLeft() + QPoint(10, 10), QSize(100, 80),
       false},
      {"wider than the screen", QSize(room.width() * 2, 80), room.topLeft(),
       QSize(most.width(), 80), false},
      {"taller than the screen", QSize(100, room.height() * 3), room.topLeft(),
       QSize(100, most.height()), false},
      {"corner off the screen", QSize(100, 80), room.topLeft() - QPoint(500, 500), QSize(100, 80),
       true},
  };
  for (const auto& c : cases) {
    QWidget window;
    window.resize(c.size);
    window.move(c.corner);
    FitToScreen(&window);
    EXPECT_EQ(window.size(), c.fitted) << c.what;
    EXPECT_EQ(window.pos(), c.moved ? room.topLeft() : c.corner) << c.what;
  }
}

}  // namespace

}  // namespace blastsearch
