#include "app/CommandInteraction.h"

#include <ostream>

CCommandInteraction::CCommandInteraction(std::ostream& info, std::ostream& err)
    : m_info(info), m_err(err) {}

void CCommandInteraction::SetAnswer(std::string answer) {
  m_strAnswer = std::move(answer);
  m_bHasAnswer = true;
}

int CCommandInteraction::ShowMessage(const std::string& text, unsigned style) {
  std::string line = text;
  for (char& c : line) {
    if (c == '\n') c = ' ';
  }
  switch (style & 0xF0) {
    case MB_ICONSTOP: m_err << "error: " << line << '\n'; break;
    case MB_ICONEXCLAMATION: m_err << "warning: " << line << '\n'; break;
    default: m_info << line << '\n'; break;
  }
  return IDOK;
}

int CCommandInteraction::ChooseFile(const FileDialogRequest& request, std::string& path) {
  return Previous().ChooseFile(request, path);
}

int CCommandInteraction::PromptText(const std::string& prompt, std::string& text) {
  if (m_bHasAnswer) {
    text = m_strAnswer;
    return IDOK;
  }
  return m_bMayAsk ? Previous().PromptText(prompt, text) : IDCANCEL;
}

int CCommandInteraction::EditText(const std::string& prompt, std::string& text) {
  if (m_bHasAnswer) {
    text = m_strAnswer;
    return IDOK;
  }
  return m_bMayAsk ? Previous().EditText(prompt, text) : IDCANCEL;
}

std::unique_ptr<CProgressDisplay> CCommandInteraction::OpenProgress() {
  return Previous().OpenProgress();
}
