#include "platform/UserInteraction.h"

#include <unistd.h>

#include <chrono>
#include <iostream>

namespace blastsearch {

namespace {

CTerminalUserInteraction& TerminalService() {
  static CTerminalUserInteraction service;
  return service;
}

CUserInteraction* g_pService = nullptr;

}  // namespace

CUserInteraction& UserInteraction() {
  return g_pService != nullptr ? *g_pService : TerminalService();
}

CUserInteraction* SetUserInteraction(CUserInteraction* service) {
  CUserInteraction* previous = g_pService;
  g_pService = service;
  return previous;
}

int AfxMessageBox(const std::string& text, unsigned style) {
  return UserInteraction().ShowMessage(text, style);
}

CUserInteraction& CScopedUserInteraction::Previous() const {
  return m_pPrevious != nullptr ? *m_pPrevious : TerminalService();
}

namespace {

// Shows nothing.
class CSilentProgress : public CProgressDisplay {
 public:
  void SetTitle(const std::string&) override {}
  void SetMessage(const std::string&) override {}
};

// Appends what it is told to a log owned by the scripted service.
class CLoggedProgress : public CProgressDisplay {
 public:
  explicit CLoggedProgress(std::vector<std::string>& log) : m_log(log) { m_log.push_back("open"); }
  ~CLoggedProgress() override { m_log.push_back("close"); }
  void SetTitle(const std::string& title) override { m_log.push_back("title:" + title); }
  void SetMessage(const std::string& message) override { m_log.push_back("message:" + message); }

 private:
  std::vector<std::string>& m_log;
};

}  // namespace

int CUserInteraction::EditText(const std::string& prompt, std::string& text) {
  std::string answer = text;
  if (PromptText(prompt, answer) != IDOK) return IDCANCEL;
  text = answer;
  return IDOK;
}

std::unique_ptr<CProgressDisplay> CUserInteraction::OpenProgress() {
  return std::make_unique<CSilentProgress>();
}

int CScriptedUserInteraction::EditText(const std::string& prompt, std::string& text) {
  m_edits.emplace_back(prompt, text);
  return PromptText(prompt, text);
}

std::unique_ptr<CProgressDisplay> CScriptedUserInteraction::OpenProgress() {
  return std::make_unique<CLoggedProgress>(m_progressLog);
}

int CScriptedUserInteraction::ShowMessage(const std::string& text, unsigned style) {
  m_messages.push_back({text, style});
  if (m_answers.empty()) return IDOK;
  int answer = m_answers.front();
  m_answers.pop_front();
  return answer;
}

int CScriptedUserInteraction::ChooseFile(const FileDialogRequest& request, std::string& path) {
  m_fileRequests.push_back(request);
  if (m_files.empty()) return IDCANCEL;
  path = m_files.front();
  m_files.pop_front();
  return IDOK;
}

int CScriptedUserInteraction::PromptText(const std::string&, std::string& text) {
  if (m_texts.empty()) return IDCANCEL;
  text = m_texts.front();
  m_texts.pop_front();
  return IDOK;
}

namespace {

const char* KindOf(unsigned style) {
  switch (style & 0xF0) {
    case MB_ICONSTOP:
      return "error: ";
    case MB_ICONEXCLAMATION:
      return "warning: ";
    default:
      return "";
  }
}

bool AskLine(const std::string& prompt, std::string& answer) {
  if (!::isatty(STDIN_FILENO)) return false;
  std::cerr << prompt << std::flush;
  return static_cast<bool>(std::getline(std::cin, answer));
}

}  // namespace

int CTerminalUserInteraction::ShowMessage(const std::string& text, unsigned style) {
  std::string line = text;
  for (char& c : line) {
    if (c == '\n') c = ' ';
  }
  std::cerr << KindOf(style) << line << '\n';
  return IDOK;
}

int CTerminalUserInteraction::ChooseFile(const FileDialogRequest& request, std::string& path) {
  std::string answer;
  std::string prompt = request.bOpen ? "File to open" : "File to save";
  if (!request.strFileName.empty()) prompt += " [" + request.strFileName + "]";
  if (!AskLine(prompt + ": ", answer) || answer.empty()) return IDCANCEL;
  path = answer;
  return IDOK;
}

int CTerminalUserInteraction::EditText(const std::string& prompt, std::string& text) {
  std::string answer;
  if (!AskLine(prompt + " [" + text + "]: ", answer)) return IDCANCEL;
  if (!answer.empty()) text = answer;
  return IDOK;
}

namespace {

// One line on standard error, redrawn at most ten times a second and
// cleared when closed.
class CTerminalProgress : public CProgressDisplay {
 public:
  ~CTerminalProgress() override {
    if (m_bShown) std::cerr << "\r\033[K" << std::flush;
  }
  void SetTitle(const std::string& title) override {
    m_strTitle = title;
    Draw(true);
  }
  void SetMessage(const std::string& message) override {
    m_strMessage = message;
    Draw(false);
  }

 private:
  void Draw(bool force) {
    auto now = std::chrono::steady_clock::now();
    if (!force && m_bShown && now - m_lastDraw < std::chrono::milliseconds(100)) return;
    m_lastDraw = now;
    std::string line = m_strTitle + " " + m_strMessage;
    for (char& c : line) {
      if (static_cast<unsigned char>(c) < 0x20) c = ' ';
    }
    if (line.size() > 79) line.resize(79);
    std::cerr << "\r\033[K" << line << std::flush;
    m_bShown = true;
  }

  std::string m_strTitle;
  std::string m_strMessage;
  std::chrono::steady_clock::time_point m_lastDraw;
  bool m_bShown = false;
};

}  // namespace

std::unique_ptr<CProgressDisplay> CTerminalUserInteraction::OpenProgress() {
  if (!::isatty(STDERR_FILENO)) return std::make_unique<CSilentProgress>();
  return std::make_unique<CTerminalProgress>();
}

int CTerminalUserInteraction::PromptText(const std::string& prompt, std::string& text) {
  std::string answer;
  if (!AskLine(prompt + ": ", answer)) return IDCANCEL;
  text = answer;
  return IDOK;
}

}  // namespace blastsearch
