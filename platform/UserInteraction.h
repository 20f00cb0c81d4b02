#pragma once

#include <deque>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "platform/Export.h"

namespace blastsearch BLASTSEARCH_EXPORT {

// Message-box styles (icons) and answers, as the system uses them.
enum : unsigned {
  MB_OK = 0x00,
  MB_ICONSTOP = 0x10,
  MB_ICONQUESTION = 0x20,
  MB_ICONEXCLAMATION = 0x30,
  MB_ICONINFORMATION = 0x40,
};
enum : int { IDOK = 1, IDCANCEL = 2, IDYES = 6, IDNO = 7 };

// Options of the file dialog.
// OFN_ALLOWMULTISELECT: an open dialog may choose several files, answered as
// their paths separated by line ends.
enum : unsigned {
  OFN_OVERWRITEPROMPT = 0x0002,
  OFN_HIDEREADONLY = 0x0004,
  OFN_ALLOWMULTISELECT = 0x0200
};

// What a file dialog asks: open or save, default extension, initial name,
// filter list (empty for none) and options.
struct FileDialogRequest {
  bool bOpen = true;
  std::string strDefExt;
  std::string strFileName;
  std::string strFilter;
  unsigned nFlags = 0;
};

// A progress display opened by the user-interaction service: a title and a
// message that a long operation updates. Closed when destroyed; owned by
// whoever opened it.
class CProgressDisplay {
 public:
  virtual ~CProgressDisplay() = default;
  virtual void SetTitle(const std::string& title) = 0;
  virtual void SetMessage(const std::string& message) = 0;
};

// Everything that talks to a person goes through this service: modal message
// boxes, file choice and text prompts. Tests install the scripted form;
// the command-line program uses the terminal form.
class CUserInteraction {
 public:
  virtual ~CUserInteraction() = default;

  // Shows `text` with `style` (icon bits above) and returns the answer (IDOK...).
  virtual int ShowMessage(const std::string& text, unsigned style) = 0;
  // Asks for a file; IDOK with `path` set, or IDCANCEL with `path` unchanged.
  virtual int ChooseFile(const FileDialogRequest& request, std::string& path) = 0;
  // Asks for a line of text; IDOK with `text` set, or IDCANCEL.
  virtual int PromptText(const std::string& prompt, std::string& text) = 0;
  // Asks for a line of text proposing `text`: IDOK with `text` set to the
  // answer, or IDCANCEL with `text` unchanged. The base asks through
  // PromptText.
  virtual int EditText(const std::string& prompt, std::string& text);
  // Opens a progress display, owned by the caller; the base's shows nothing.
  // Never null.
  virtual std::unique_ptr<CProgressDisplay> OpenProgress();
};

// The service in use; the terminal form until another is installed.
CUserInteraction& UserInteraction();
// Installs `service` (not owned; null restores the terminal form) and
// returns the one it replaces.
CUserInteraction* SetUserInteraction(CUserInteraction* service);

// The platform's plain message box: shows `text` through the service.
int AfxMessageBox(const std::string& text, unsigned style = MB_OK);

// A service that installs itself for its lifetime and then restores the one
// it replaced (available to derived classes as Previous()). Not copyable.
class CScopedUserInteraction : public CUserInteraction {
 public:
  CScopedUserInteraction() : m_pPrevious(SetUserInteraction(this)) {}
  ~CScopedUserInteraction() override { SetUserInteraction(m_pPrevious); }
  CScopedUserInteraction(const CScopedUserInteraction&) = delete;
  CScopedUserInteraction& operator=(const CScopedUserInteraction&) = delete;

 protected:
  // The service in use before this one was installed.
  CUserInteraction& Previous() const;

 private:
  CUserInteraction* m_pPrevious;
};

// Records every message with its style and answers every question from a
// script queued in advance; an unscripted question is answered IDCANCEL.
// Installs itself for its lifetime and restores the previous service.
class CScriptedUserInteraction : public CScopedUserInteraction {
 public:
  struct Message {
    std::string strText;
    unsigned nStyle;
  };

  int ShowMessage(const std::string& text, unsigned style) override;
  int ChooseFile(const FileDialogRequest& request, std::string& path) override;
  int PromptText(const std::string& prompt, std::string& text) override;
  // Records the prompt and the proposal, then answers as PromptText does.
  int EditText(const std::string& prompt, std::string& text) override;
  // A display that records into ProgressLog(): "open", "title:<t>",
  // "message:<m>" and "close" (when destroyed).
  std::unique_ptr<CProgressDisplay> OpenProgress() override;

  // Script: the next message box answers `answer` (default IDOK).
  void QueueAnswer(int answer) { m_answers.push_back(answer); }
  // Script: the next file dialog chooses `path`.
  void QueueFile(std::string path) { m_files.push_back(std::move(path)); }
  // Script: the next prompt answers `text`.
  void QueueText(std::string text) { m_texts.push_back(std::move(text)); }

  const std::vector<Message>& Messages() const { return m_messages; }
  const std::vector<FileDialogRequest>& FileRequests() const { return m_fileRequests; }
  // Prompts of EditText, each with its proposal.
  const std::vector<std::pair<std::string, std::string>>& Edits() const { return m_edits; }
  // What the progress displays were told, in order.
  const std::vector<std::string>& ProgressLog() const { return m_progressLog; }

 private:
  std::vector<std::pair<std::string, std::string>> m_edits;
  std::vector<std::string> m_progressLog;
  std::vector<Message> m_messages;
  std::vector<FileDialogRequest> m_fileRequests;
  std::deque<int> m_answers;
  std::deque<std::string> m_files;
  std::deque<std::string> m_texts;
};

// Messages go to standard error, one line each, prefixed by their kind;
// questions are asked on the terminal when standard input is one, and
// answered IDCANCEL otherwise. Progress shows as one line on standard error
// when it is a terminal.
class CTerminalUserInteraction : public CUserInteraction {
 public:
  int ShowMessage(const std::string& text, unsigned style) override;
  int ChooseFile(const FileDialogRequest& request, std::string& path) override;
  int PromptText(const std::string& prompt, std::string& text) override;
  // Shows the proposal in brackets; an empty answer keeps it.
  int EditText(const std::string& prompt, std::string& text) override;
  std::unique_ptr<CProgressDisplay> OpenProgress() override;
};

}  // namespace BLASTSEARCH_EXPORT
