// blastsearch-gui: the host's window program. It links no extension: it
// loads the extension libraries that the current user's registry lists
// (with each one's windows library beside it), and shows the main window
// that they offer, the database window. --db DIR chooses the database (as
// blastsearch does); files named on the command line are imported and a
// single new result opened; --screenshot DIR writes the pictures the loaded
// libraries take of their windows and exits (on Qt's offscreen platform
// unless another is chosen).
//
// On a first start (no list in the registry) it enters the extension library
// beside it, as an installer would; never while taking pictures, nor when
// the environment has BLASTSEARCH_NO_REGISTER set (the tests set it), so
// that neither ever writes the person's registry.
#include <QApplication>
#include <QCommandLineParser>
#include <QMessageBox>
#include <QSettings>
#include <QTemporaryDir>
#include <cstdlib>
#include <filesystem>
#include <iostream>
#include <memory>
#include <optional>
#include <string>

#include "host/ModuleLoader.h"
#include "host/db/DBEngine.h"
#include "host/db/DatabaseDirectory.h"
#include "host/qt/EditorSheetDialog.h"
#include "host/qt/MainWindowMaker.h"
#include "host/qt/ScreenshotWriters.h"
#include "platform/Exception.h"
#include "platform/Registry.h"
#include "platform/qt/QtUserInteraction.h"

namespace blastsearch {

namespace {

// The extension library entered on a first start.
constexpr const char* kExtensionLibrary = "libblastsearch.so";

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

// True when the environment forbids writing the registry (tests).
bool RegisteringForbidden() {
  const char* value = std::getenv("BLASTSEARCH_NO_REGISTER");
  return value != nullptr && *value != '\0' && std::string(value) != "0";
}

// The windows library of the extension library at `path`: NAME_windows.so
// beside NAME.so; "" when there is none.
std::string WindowsLibraryOf(const std::string& path) {
  const std::filesystem::path library(path);
  if (library.extension() != ".so") return "";
  std::filesystem::path windows = library;
  windows.replace_filename(library.stem().string() + "_windows.so");
  std::error_code error;
  return std::filesystem::is_regular_file(windows, error) ? windows.string() : "";
}

// Loads what the registry lists, each library's windows after it, entering
// the extension beside the program first when nothing is listed and `mayRegister`.
void LoadExtensions(COrvModuleLoader& modules, bool mayRegister) {
  bool listed = false;
  RegisteredLibraries(&listed);
  if (!listed && mayRegister) (void)modules.RegisterModule(kExtensionLibrary);
  modules.LoadRegisteredModules();
  for (const std::string& path : modules.LoadedPaths()) {
    const std::string windows = WindowsLibraryOf(path);
    if (!windows.empty()) (void)modules.LoadModule(windows);
  }
}

// What to say when no loaded library offers a window.
std::string NoExtensionMessage(const COrvModuleLoader& modules) {
  const std::string where = "the registry (" + RegistryFilePath() + ", value " +
                            kOrvLibrariesValue + " under " + kOrvExtensionsKey + ")";
  if (modules.LoadedPaths().empty()) {
    const bool named = !RegisteredLibraries().empty();
    return std::string("no extension library is loaded: ") + where +
           (named ? " names none that loads" : " lists none") + "; `blastsearch register` enters " +
           kExtensionLibrary;
  }
  std::string loaded;
  for (const std::string& path : modules.LoadedPaths()) {
    loaded += (loaded.empty() ? "" : ", ") + path;
  }
  return "no loaded extension library offers a window (loaded: " + loaded + ")";
}

// Says `text` on standard error, and in a box where someone can close it.
void SayFailure(const std::string& text, bool screenshot) {
  std::cerr << "blastsearch-gui: " << text << '\n';
  if (!screenshot && QGuiApplication::platformName() != QLatin1String("offscreen")) {
    QMessageBox::critical(nullptr, QStringLiteral("BLAST Results"), QString::fromStdString(text));
  }
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
  LoadExtensions(modules, !screenshot && !RegisteringForbidden());
  const MainWindowMaker maker = RegisteredMainWindowMaker();
  if (maker == nullptr) {
    SayFailure(NoExtensionMessage(modules), screenshot);
    return 1;
  }
  try {
    engine().OpenDatabase(dir, 1);
  } catch (const std::exception& e) {
    SayFailure(std::string("the database cannot be opened: ") + e.what(), screenshot);
    return 1;
  }
  InstallEditorSheetRunner();
  if (screenshot) {
    // The pictures show the windows as they first open, whatever the
    // person's kept layout.
    QTemporaryDir settings;
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, settings.path());
    const std::string failure = WriteRegisteredScreenshots(screenshots);
    engine().CloseDatabase(1);  // before the tables' libraries go
    if (!failure.empty()) {
      std::cerr << "blastsearch-gui: " << failure << '\n';
      return 1;
    }
    return 0;
  }
  int status = 1;
  {
    // The window goes before the library that made it.
    const std::unique_ptr<QWidget> window = maker(files);
    if (window) status = QApplication::exec();
  }
  engine().CloseDatabase(1);  // before the tables' libraries go
  return status;
}
