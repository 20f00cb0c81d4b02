#include "output/CommandMessages.h"

#include <charconv>
#include <ostream>
#include <system_error>

#include "host/db/DBFunctions.h"
#include "host/db/ObjInfo.h"
#include "output/PrintableText.h"
#include "output/ProgressBar.h"
#include "table/BlastSearchTable.h"

namespace blastsearch {

namespace {

// The record identifier written in `text`, or 0 when it is not a plain
// decimal number.
unsigned long RecordIdOf(const std::string& text) {
  if (text.empty() || text.size() > 18) return 0;  // 18 digits never overflow
  const char* const end = text.data() + text.size();
  unsigned long id = 0;
  const auto [stop, error] = std::from_chars(text.data(), end, id);  // no sign for unsigned
  return error == std::errc() && stop == end ? id : 0;
}

}  // namespace

int CCommandMessages::ShowMessage(const std::string& text, unsigned style) {
  if ((style & 0xF0) == MB_ICONSTOP || (style & 0xF0) == MB_ICONEXCLAMATION) {
    Fail(text);
  } else {
    Inform(text);
  }
  return IDOK;
}

int CCommandMessages::ChooseFile(const FileDialogRequest&, std::string& path) {
  if (!m_bFile) return IDCANCEL;
  path = m_strFile;
  m_bFile = false;
  return IDOK;
}

int CCommandMessages::PromptText(const std::string&, std::string&) { return IDCANCEL; }

void CCommandMessages::Inform(const std::string& text) { Write(m_out, text, ""); }

void CCommandMessages::Fail(const std::string& text) {
  m_bFailed = true;
  Write(m_err, text, "blastsearch: ");
}

void CCommandMessages::Write(std::ostream& stream, const std::string& text, const char* kind) {
  std::string line = kind;
  if (!m_strPrefix.empty()) line += m_strPrefix + ": ";
  std::string folded;
  for (char c : text) folded += (c == '\n' || c == '\r') ? ' ' : c;
  // Names in messages come from reports and users: no escape sequence of
  // theirs reaches the terminal.
  line += PrintableText(folded);
  line += '\n';
  if (m_pBar != nullptr) m_pBar->Clear();
  // Each line leaves at once, so that what was reported is on its way even
  // when the process is killed right after.
  stream << line << std::flush;
  if (m_pBar != nullptr) m_pBar->Draw();
}

CObjInfo* LookUpStoredObject(const std::string& nameOrUid) {
  if (unsigned long id = RecordIdOf(nameOrUid); id != 0) {
    if (CObjInfo* info = blastSearch().getobjlist(1).FindById(id)) return info;
  }
  if (CObjInfo* info = FindObject(CBlastSearchObject::objtype(), 1, nameOrUid)) return info;
  const std::string prefix = kNamePrefix;
  if (nameOrUid.compare(0, prefix.size(), prefix) == 0) {
    return FindObject(CBlastSearchObject::objtype(), 1, nameOrUid.substr(prefix.size()));
  }
  return nullptr;
}

CObjInfo* FindStoredObject(const std::string& nameOrUid, CCommandMessages& messages) {
  if (CObjInfo* info = LookUpStoredObject(nameOrUid)) return info;
  messages.Fail("no stored result named \"" + PrintableText(nameOrUid) + "\"" +
                (RecordIdOf(nameOrUid) != 0 ? " or with that UID" : ""));
  return nullptr;
}

int CommandStatus(bool ok, const CCommandMessages& messages) {
  return ok && !messages.Failed() ? 0 : 1;
}

bool FlushOutput(std::ostream& out, CCommandMessages& messages) {
  out.flush();
  if (out) return true;
  messages.SetPrefix("");
  messages.Fail("standard output: the write failed");
  return false;
}

}  // namespace blastsearch
