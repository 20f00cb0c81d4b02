#include "host/OrvShellFileTypes.h"

#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cctype>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <mutex>

#include "platform/Exception.h"
#include "platform/ReplacingFile.h"
#include "platform/UserDirectories.h"

extern char** environ;

namespace blastsearch {

namespace {

std::mutex s_mutex;
COrvShellRegistration s_last;
std::string s_program = "blastsearch-gui";

std::string Lower(std::string text) {
  for (char& c : text) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return text;
}

// `text` with the characters that XML gives a meaning escaped.
std::string XmlText(const std::string& text) {
  std::string out;
  for (char c : text) {
    switch (c) {
      case '&':
        out += "&amp;";
        break;
      case '<':
        out += "&lt;";
        break;
      case '>':
        out += "&gt;";
        break;
      case '"':
        out += "&quot;";
        break;
      default:
        out += c;
    }
  }
  return out;
}

// One line of a desktop entry's value: no line ends.
std::string EntryText(std::string text) {
  for (char& c : text) {
    if (c == '\n' || c == '\r') c = ' ';
  }
  return text;
}

// The program as one argument of an Exec line: quoted when it holds
// anything but plain path characters.
std::string ExecArgument(const std::string& program) {
  bool plain = !program.empty();
  for (char c : program) {
    if (!std::isalnum(static_cast<unsigned char>(c)) && c != '/' && c != '.' && c != '-' &&
        c != '_' && c != '+') {
      plain = false;
    }
  }
  if (plain) return program;
  std::string quoted = "\"";
  for (char c : program) {
    if (c == '\\') {
      quoted += "\\\\\\\\";  // escaped for the quotes, then for the entry's text
      continue;
    }
    if (c == '"' || c == '`' || c == '$') quoted += '\\';
    if (c == '%') quoted += '%';
    quoted += c;
  }
  return quoted + "\"";
}

bool Usable(const FTTENTRY& row) {
  return row.m_pszShellClass != nullptr && row.m_pszShellClass[0] != '\0' &&
         row.m_pszExtension != nullptr && row.m_pszExtension[0] != '\0';
}

std::string MimePackage(const FTTENTRY* rows, int count) {
  std::string xml =
      "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
      "<mime-info xmlns=\"http://www.freedesktop.org/standards/shared-mime-info\">\n";
  for (int i = 0; i < count; ++i) {
    if (!Usable(rows[i])) continue;
    const std::string comment = rows[i].m_pszShellDescription != nullptr
                                    ? rows[i].m_pszShellDescription
                                    : rows[i].m_pszShellClass;
    xml += "  <mime-type type=\"" + XmlText(OrvShellMimeType(rows[i])) + "\">\n";
    xml += "    <comment>" + XmlText(comment) + "</comment>\n";
    xml += "    <glob pattern=\"*" + XmlText(rows[i].m_pszExtension) + "\"/>\n";
    xml += "  </mime-type>\n";
  }
  return xml + "</mime-info>\n";
}

std::string DesktopEntry(const FTTENTRY* rows, int count, const std::string& program) {
  std::string types;
  std::string names;
  for (int i = 0; i < count; ++i) {
    if (!Usable(rows[i])) continue;
    types += OrvShellMimeType(rows[i]) + ";";
    if (rows[i].m_pszDescription != nullptr) {
      names += (names.empty() ? "" : ", ") + std::string(rows[i].m_pszDescription);
    }
  }
  return "[Desktop Entry]\n"
         "Type=Application\n"
         "Name=Quillon\n"
         "Comment=" +
         EntryText("Opens " + names) +
         "\n"
         "Exec=" +
         EntryText(ExecArgument(program)) +
         " %f\n"
         "MimeType=" +
         EntryText(types) +
         "\n"
         "NoDisplay=true\n"
         "Terminal=false\n";
}

// Writes `text` into `path` (its folder made first); "" or what failed.
std::string WriteWhole(const std::string& path, const std::string& text) {
  std::error_code error;
  std::filesystem::create_directories(std::filesystem::path(path).parent_path(), error);
  if (error) return "cannot make the folder of " + path + ": " + error.message();
  try {
    CReplacingFile file;
    if (!file.Create(path)) return "cannot create " + path + ": " + std::strerror(errno);
    file.Write(text.data(), text.size());
    file.Commit();
  } catch (const CException& e) {
    return e.what();
  }
  return "";
}

// Whether `tool` is an executable file in a folder of PATH.
bool OnPath(const std::string& tool) {
  const char* path = std::getenv("PATH");
  if (path == nullptr) return false;
  std::string folders = path;
  std::size_t start = 0;
  while (start <= folders.size()) {
    const auto colon = folders.find(':', start);
    const std::string folder =
        folders.substr(start, colon == std::string::npos ? std::string::npos : colon - start);
    if (!folder.empty() && ::access((folder + "/" + tool).c_str(), X_OK) == 0) return true;
    if (colon == std::string::npos) break;
    start = colon + 1;
  }
  return false;
}

// Runs `tool folder` when the tool is on PATH and notes it in `outcome`.
void RunTool(const std::string& tool, const std::string& folder, COrvShellRegistration& outcome) {
  if (!OnPath(tool)) return;
  std::string toolArg = tool;
  std::string folderArg = folder;
  char* argv[] = {toolArg.data(), folderArg.data(), nullptr};
  pid_t pid = 0;
  if (posix_spawnp(&pid, tool.c_str(), nullptr, nullptr, argv, environ) != 0) {
    outcome.m_ran.push_back(tool + " " + folder + " (could not be started)");
    return;
  }
  int status = 0;
  while (::waitpid(pid, &status, 0) < 0 && errno == EINTR) {
  }
  const int code = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  outcome.m_ran.push_back(tool + " " + folder + " (exit status " + std::to_string(code) + ")");
}

COrvShellRegistration Register(const FTTENTRY* rows, int count) {
  COrvShellRegistration outcome;
  if (rows == nullptr || count <= 0 || !Usable(rows[0])) {
    outcome.m_strError = "no file types to register";
    return outcome;
  }
  const std::string data = UserDataDirectory();
  if (data.empty()) {
    outcome.m_strError = "no data folder: set HOME or XDG_DATA_HOME";
    return outcome;
  }
  const std::string name = "quillon-" + Lower(rows[0].m_pszShellClass);
  const std::string mimeDir = data + "/mime";
  const std::string appDir = data + "/applications";
  const std::string package = mimeDir + "/packages/" + name + ".xml";
  const std::string entry = appDir + "/" + name + ".desktop";
  const std::string program = OrvShellProgram();
  for (const auto& [path, text] : {std::pair{package, MimePackage(rows, count)},
                                   std::pair{entry, DesktopEntry(rows, count, program)}}) {
    outcome.m_strError = WriteWhole(path, text);
    if (!outcome.m_strError.empty()) return outcome;
    outcome.m_written.push_back(path);
  }
  RunTool("update-mime-database", mimeDir, outcome);
  RunTool("update-desktop-database", appDir, outcome);
  return outcome;
}

}  // namespace

std::string OrvShellMimeType(const FTTENTRY& row) {
  return "application/x-" + Lower(row.m_pszShellClass != nullptr ? row.m_pszShellClass : "");
}

COrvShellRegistration RegisterOrvShellFileTypes(const FTTENTRY* rows, int count) {
  COrvShellRegistration outcome = Register(rows, count);
  std::lock_guard<std::mutex> lock(s_mutex);
  s_last = outcome;
  return outcome;
}

COrvShellRegistration LastOrvShellRegistration() {
  std::lock_guard<std::mutex> lock(s_mutex);
  return s_last;
}

std::string OrvShellProgram() {
  std::lock_guard<std::mutex> lock(s_mutex);
  return s_program;
}

void SetOrvShellProgram(const std::string& program) {
  std::lock_guard<std::mutex> lock(s_mutex);
  s_program = program;
}

}  // namespace blastsearch
