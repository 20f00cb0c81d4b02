#include "platform/UserInteraction.h"

#include <unistd.h>

#include <iostream>

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
    case MB_ICONSTOP: return "error: ";
    case MB_ICONEXCLAMATION: return "warning: ";
    default: return "";
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

int CTerminalUserInteraction::PromptText(const std::string& prompt, std::string& text) {
  std::string answer;
  if (!AskLine(prompt + ": ", answer)) return IDCANCEL;
  text = answer;
  return IDOK;
}
