// The database window joins the host while the windows library is loaded:
// it is the window program's main window, and its pictures are among the
// program's --screenshot pictures (taken after the others: they replace
// database 1 with a scratch one and close it). Unloading the library takes
// both away.

#include <QStringList>
#include <cstdlib>

#include "gui/DatabaseWindow.h"
#include "gui/Screenshots.h"
#include "host/qt/MainWindowMaker.h"
#include "host/qt/ScreenshotWriters.h"

namespace blastsearch {

namespace {

// The reports shown in the pictures: $BLASTSEARCH_CORPUS_DIR, else the
// corpus beside the source tree.
constexpr const char* kPictureCorpus = BLASTSEARCH_PICTURE_CORPUS;

std::unique_ptr<QWidget> MakeDatabaseWindow(const QStringList& files) {
  auto window = std::make_unique<CDatabaseWindow>();
  window->show();
  if (!files.isEmpty()) window->OpenFiles(files);
  return window;
}

std::string WriteDatabaseWindowScreenshots(const std::string& dir) {
  const char* corpus = std::getenv("BLASTSEARCH_CORPUS_DIR");
  return WriteWindowScreenshots(dir, corpus != nullptr ? corpus : kPictureCorpus);
}

struct CDatabaseWindowStartup {
  CDatabaseWindowStartup() {
    RegisterMainWindowMaker(&MakeDatabaseWindow);
    RegisterScreenshotWriter(&WriteDatabaseWindowScreenshots);
  }
  ~CDatabaseWindowStartup() {
    UnregisterScreenshotWriter(&WriteDatabaseWindowScreenshots);
    UnregisterMainWindowMaker(&MakeDatabaseWindow);
  }
  CDatabaseWindowStartup(const CDatabaseWindowStartup&) = delete;
  CDatabaseWindowStartup& operator=(const CDatabaseWindowStartup&) = delete;
};

CDatabaseWindowStartup s_databaseWindowStartup;

}  // namespace

}  // namespace blastsearch
