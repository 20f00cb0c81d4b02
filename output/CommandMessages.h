#pragma once

#include <iosfwd>
#include <string>

#include "platform/Export.h"
#include "platform/UserInteraction.h"

namespace blastsearch BLASTSEARCH_EXPORT {

class CObjInfo;
class CProgressBar;

// The table's messages during one command: information goes to standard
// output, failures (stop and warning icons) to standard error, each as one
// line with its line ends folded and the current prefix (a file name) in
// front; a failure is remembered. A file dialog is answered with the path
// queued for it, else cancelled; prompts are cancelled. Installs itself for
// its lifetime.
class CCommandMessages : public CScopedUserInteraction {
 public:
  CCommandMessages(std::ostream& out, std::ostream& err) : m_out(out), m_err(err) {}

  int ShowMessage(const std::string& text, unsigned style) override;
  int ChooseFile(const FileDialogRequest& request, std::string& path) override;
  int PromptText(const std::string& prompt, std::string& text) override;

  // Every message until the next call starts with "`prefix`: " (none when
  // empty).
  void SetPrefix(std::string prefix) { m_strPrefix = std::move(prefix); }
  // The next file dialog chooses `path`.
  void AnswerFileChoice(std::string path) {
    m_strFile = std::move(path);
    m_bFile = true;
  }
  // The next file dialog is cancelled again.
  void ForgetFileChoice() { m_bFile = false; }
  // Lines are written around `bar` (null: none): it is cleared first and
  // drawn again after. Not owned.
  void SetProgressBar(CProgressBar* bar) { m_pBar = bar; }

  // Writes one information line / one failure line, as messages are written.
  void Inform(const std::string& text);
  void Fail(const std::string& text);

  // True when a failure was shown since construction or the last Reset.
  bool Failed() const { return m_bFailed; }
  void Reset() { m_bFailed = false; }

 private:
  void Write(std::ostream& stream, const std::string& text, const char* kind);

  std::ostream& m_out;
  std::ostream& m_err;
  std::string m_strPrefix;
  std::string m_strFile;
  bool m_bFile = false;
  bool m_bFailed = false;
  CProgressBar* m_pBar = nullptr;
};

// How a command's argument names a stored result: an argument of digits
// only is the UID of a stored result when one has that UID (a UID wins over a
// name that is the same number); otherwise the result of that exact name; a
// result whose name is taken by that rule (a name that is the number of
// another result's UID) is reached as "name:NAME". Null when none matches.
// Owned by the table's list.
CObjInfo* LookUpStoredObject(const std::string& nameOrUid);

// LookUpStoredObject, with a failure line naming what was looked for when
// nothing matches.
[[nodiscard]] CObjInfo* FindStoredObject(const std::string& nameOrUid, CCommandMessages& messages);

// The prefix of an argument that names a stored result by its name alone.
inline constexpr const char* kNamePrefix = "name:";

// The exit status of a command that showed `messages` and answered `ok`:
// 0 when it succeeded and showed no failure, else 1.
int CommandStatus(bool ok, const CCommandMessages& messages);

// Flushes `out` and tells whether everything written to it arrived; a failure
// line names standard output otherwise.
[[nodiscard]] bool FlushOutput(std::ostream& out, CCommandMessages& messages);

}  // namespace BLASTSEARCH_EXPORT
