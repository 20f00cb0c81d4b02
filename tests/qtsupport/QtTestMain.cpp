// The main of the window tests: a QApplication on Qt's offscreen platform
// (unless another is chosen), then every test. The tests and the programs
// they start keep their configuration and desktop files (the registry of
// extension libraries, file types) in the build folder, never in the home
// folder of the person running them.
#include <gmock/gmock.h>

#include <QApplication>

int main(int argc, char** argv) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  qputenv("XDG_CONFIG_HOME", BLASTSEARCH_BINARY_DIR "/test-home/config");
  qputenv("XDG_DATA_HOME", BLASTSEARCH_BINARY_DIR "/test-home/data");
  // The window program started by a test never enters itself in the registry.
  qputenv("BLASTSEARCH_NO_REGISTER", "1");
  QApplication application(argc, argv);
  ::testing::InitGoogleMock(&argc, argv);
  return RUN_ALL_TESTS();
}
