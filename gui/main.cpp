// blastsearch-gui: the database window. --db DIR chooses the database (as
// blastsearch does); files named on the command line are imported and a
// single new result opened; --screenshot DIR writes pictures of the search
// dialog and the database window and exits (on Qt's offscreen platform
// unless another is chosen).
#include <QApplication>
#include <QMessageBox>
#include <QSettings>
#include <QTemporaryDir>
#include <cstdlib>
#include <cstring>
#include <iostream>
#include <optional>
#include <string>

#include "gui/DatabaseWindow.h"
#include "gui/Screenshots.h"
#include "host/ModuleLoader.h"
#include "host/db/DBEngine.h"
#include "host/db/DatabaseDirectory.h"
#include "host/qt/EditorSheetDialog.h"
#include "host/qt/ScreenshotWriters.h"
#include "platform/Exception.h"
#include "platform/qt/QtUserInteraction.h"

namespace {

// The reports shown in the pictures of the database window.
constexpr const char* kPictureCorpus = BLASTSEARCH_PICTURE_CORPUS;

int Usage() {
  std::cerr << "usage: blastsearch-gui [--db DIR] [--screenshot DIR] [FILE...]\n";
  return 2;
}

}  // namespace

int main(int argc, char** argv) {
  std::string db;
  std::string screenshots;
  bool screenshot = false;
  QStringList files;  // results, archives and reports to open
  for (int i = 1; i < argc; ++i) {
    if (std::strcmp(argv[i], "--db") == 0 && i + 1 < argc) {
      db = argv[++i];
    } else if (std::strcmp(argv[i], "--screenshot") == 0 && i + 1 < argc) {
      screenshots = argv[++i];
      screenshot = true;
    } else if (std::strcmp(argv[i], "--help") == 0) {
      Usage();
      return 0;
    } else if (argv[i][0] != '-') {
      files << QString::fromLocal8Bit(argv[i]);
    } else {
      return Usage();
    }
  }
  if (screenshot && std::getenv("QT_QPA_PLATFORM") == nullptr) {
    setenv("QT_QPA_PLATFORM", "offscreen", 1);
  }
  QApplication application(argc, argv);
  QApplication::setApplicationDisplayName(QStringLiteral("BLAST Results"));
  // Where the window keeps its layout between starts.
  QApplication::setOrganizationName(QStringLiteral("blastsearch"));
  QApplication::setApplicationName(QStringLiteral("blastsearch-gui"));
  if (db.empty()) {
    if (const char* env = std::getenv("BLASTSEARCH_DB"); env != nullptr) db = env;
  }
  const std::string dir = DatabaseDirectory(db);
  if (dir.empty()) {
    std::cerr << "blastsearch-gui: no database folder: give --db DIR or set BLASTSEARCH_DB\n";
    return 2;
  }
  // Messages go to message boxes; to standard error while taking pictures.
  std::optional<CQtUserInteraction> interaction;
  if (!screenshot) interaction.emplace();
  // The extension libraries register their tables, so they load before the
  // database opens; they are unloaded when `modules` ends, after the window.
  COrvModuleLoader modules;
  bool listed = false;
  RegisteredLibraries(&listed);
  if (!listed) modules.RegisterModule("libblastsearch.so");
  modules.LoadRegisteredModules();
  try {
    engine().OpenDatabase(dir, 1);
  } catch (const std::exception& e) {
    std::cerr << "blastsearch-gui: " << e.what() << '\n';
    // Said in a box too, but not where no one could close it (pictures, tests).
    if (!screenshot && QGuiApplication::platformName() != QLatin1String("offscreen")) {
      QMessageBox::critical(nullptr, QStringLiteral("BLAST Results"),
                            QStringLiteral("The database can't be opened:\n%1")
                                .arg(QString::fromStdString(e.what())));
    }
    return 1;
  }
  InstallEditorSheetRunner();
  if (screenshot) {
    // The pictures show the window as it first opens, whatever the
    // person's kept layout.
    QTemporaryDir settings;
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, settings.path());
    const char* corpus = std::getenv("BLASTSEARCH_CORPUS_DIR");
    std::string failure = WriteRegisteredScreenshots(screenshots);
    if (failure.empty()) {
      failure = WriteWindowScreenshots(screenshots, corpus != nullptr ? corpus : kPictureCorpus);
    }
    if (!failure.empty()) {
      std::cerr << "blastsearch-gui: " << failure << '\n';
      return 1;
    }
    return 0;
  }
  CDatabaseWindow window;
  window.show();
  if (!files.isEmpty()) window.OpenFiles(files);
  return QApplication::exec();
}
