// blastsearch-gui: the database window. --db DIR chooses the database (as
// blastsearch does); files named on the command line are imported and a
// single new result opened; --screenshot DIR writes pictures of the search
// dialog and the database window and exits (on Qt's offscreen platform
// unless another is chosen).
#include <QApplication>
#include <QCommandLineParser>
#include <QMessageBox>
#include <QSettings>
#include <QTemporaryDir>
#include <cstdlib>
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

namespace blastsearch {

namespace {

// The reports shown in the pictures of the database window.
constexpr const char* kPictureCorpus = BLASTSEARCH_PICTURE_CORPUS;

// What the command line asks for.
struct CGuiArguments {
  std::string m_strDb;           // --db DIR, empty when not given
  std::string m_strScreenshots;  // --screenshot DIR
  bool m_bScreenshot = false;
  QStringList m_Files;  // results, archives and reports to open
};

// Reads the command line into `args`. Runs before the application exists
// (the pictures choose their platform first), so help and errors are
// written here. Returns -1 to go on, else the exit status: 0 after --help
// or --version, 2 for a command line that is not one.
int ReadArguments(int argc, char** argv, CGuiArguments& args) {
  QCommandLineParser parser;
  parser.setApplicationDescription(
      QStringLiteral("The database window of BLAST results. FILEs (results, archives, reports) are "
                     "imported and a single new result opened."));
  const QCommandLineOption help(QStringList{QStringLiteral("h"), QStringLiteral("help")},
                                QStringLiteral("show this help and exit"));
  const QCommandLineOption version(QStringLiteral("version"),
                                   QStringLiteral("show the program's version and exit"));
  const QCommandLineOption db(QStringLiteral("db"),
                              QStringLiteral("folder of the result database; default: "
                                             "$BLASTSEARCH_DB, else the one blastsearch uses"),
                              QStringLiteral("DIR"));
  const QCommandLineOption screenshot(
      QStringLiteral("screenshot"),
      QStringLiteral("write pictures of the search dialog and the database window to DIR and "
                     "exit (on Qt's offscreen platform unless QT_QPA_PLATFORM names another)"),
      QStringLiteral("DIR"));
  parser.addOptions({help, version, db, screenshot});
  parser.addPositionalArgument(QStringLiteral("FILE"), QStringLiteral("a file to open"),
                               QStringLiteral("[FILE...]"));
  QStringList words;
  for (int i = 0; i < argc; ++i) words << QString::fromLocal8Bit(argv[i]);
  const bool parsed = parser.parse(words);
  // Without the application the usage line names no program: it is ours.
  const QString usage = parser.helpText().replace(QStringLiteral("<executable_name>"),
                                                  QStringLiteral("blastsearch-gui"));
  if (!parsed) {
    std::cerr << "blastsearch-gui: " << parser.errorText().toStdString() << '\n'
              << usage.section(QLatin1Char('\n'), 0, 0).toStdString() << '\n';
    return 2;
  }
  if (parser.isSet(help)) {
    std::cout << usage.toStdString();
    return 0;
  }
  if (parser.isSet(version)) {
    std::cout << "blastsearch-gui " << BLASTSEARCH_VERSION << '\n';
    return 0;
  }
  args.m_strDb = parser.value(db).toLocal8Bit().toStdString();
  args.m_bScreenshot = parser.isSet(screenshot);
  args.m_strScreenshots = parser.value(screenshot).toLocal8Bit().toStdString();
  args.m_Files = parser.positionalArguments();
  return -1;
}

}  // namespace

}  // namespace blastsearch

int main(int argc, char** argv) {
  using namespace blastsearch;
  CGuiArguments args;
  if (const int status = ReadArguments(argc, argv, args); status >= 0) return status;
  std::string db = args.m_strDb;
  const std::string& screenshots = args.m_strScreenshots;
  const bool screenshot = args.m_bScreenshot;
  const QStringList& files = args.m_Files;
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
