#pragma once

#include <iosfwd>
#include <string>

#include "platform/UserInteraction.h"

// The user-interaction service of one command of the database: messages go
// to the command's streams (information to `info`, warnings and failures to
// `err`, prefixed by their kind), a text prompt is answered with a given
// answer, asked through the service underneath when the person may be
// asked, or cancelled. Progress and file choice go to the service
// underneath. Installs itself for its lifetime.
class CCommandInteraction : public CScopedUserInteraction {
 public:
  // `info` and `err` must outlive the service.
  CCommandInteraction(std::ostream& info, std::ostream& err);

  // Answer every text prompt with `answer` (no question asked).
  void SetAnswer(std::string answer);
  // Whether a prompt without an answer may ask the person (false: cancel).
  void SetMayAsk(bool mayAsk) { m_bMayAsk = mayAsk; }

  int ShowMessage(const std::string& text, unsigned style) override;
  int ChooseFile(const FileDialogRequest& request, std::string& path) override;
  int PromptText(const std::string& prompt, std::string& text) override;
  int EditText(const std::string& prompt, std::string& text) override;
  std::unique_ptr<CProgressDisplay> OpenProgress() override;

 private:
  std::ostream& m_info;
  std::ostream& m_err;
  std::string m_strAnswer;
  bool m_bHasAnswer = false;
  bool m_bMayAsk = false;
};
