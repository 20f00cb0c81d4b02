#include "parse/WholeReportReader.h"

#include <algorithm>
#include <cstring>
#include <vector>

#include "model/BlastSearchEntry.h"
#include "model/ResultInfo.h"
#include "parse/NCBIAnalyser.h"
#include "parse/NCBIAnalyserQ.h"
#include "parse/ReportName.h"
#include "parse/ReportRounds.h"
#include "parse/ResponseText.h"
#include "platform/File.h"
#include "platform/UserInteraction.h"

namespace blastsearch {

namespace {

// The opening of a report that its query line and markup are looked for in.
constexpr std::size_t kOpening = std::size_t{1} << 20;

// Counts the messages that a parser shows instead of throwing: each one
// reports a failure. Forwards nothing, so that the caller's message names
// the file.
class CMessageCounter : public CScopedUserInteraction {
 public:
  int ShowMessage(const std::string& text, unsigned) override {
    if (m_strFirst.empty()) m_strFirst = text;
    ++m_nMessages;
    return 1;
  }
  int ChooseFile(const FileDialogRequest& request, std::string& path) override {
    return Previous().ChooseFile(request, path);
  }
  int PromptText(const std::string& prompt, std::string& text) override {
    return Previous().PromptText(prompt, text);
  }
  int m_nMessages = 0;
  std::string m_strFirst;
};

// True when the page's opening is HTML markup: the classic reader reads it.
bool IsMarkup(std::string_view opening) {
  for (std::size_t at = opening.find('<'); at != std::string_view::npos;
       at = opening.find('<', at + 1)) {
    for (std::string_view tag : {"<html", "<pre", "<b>query="}) {
      const std::string_view here = opening.substr(at, tag.size());
      if (here.size() == tag.size() &&
          std::equal(here.begin(), here.end(), tag.begin(), [](char a, char b) {
            return (a >= 'A' && a <= 'Z' ? a + ('a' - 'A') : a) == b;
          })) {
        return true;
      }
    }
  }
  return false;
}

}  // namespace

CWholeReportReader::CWholeReportReader(ReportLayout layout, CReportSource& source,
                                       const CResultReadOptions& options)
    : m_layout(layout), m_source(source), m_options(options) {}

CWholeReportReader::~CWholeReportReader() = default;

int CWholeReportReader::ReadNext(CBlastSearchEntry& entry) {
  if (m_bDone) return 0;
  if (m_pFile == nullptr) ReadWhole();
  const bool classic =
      m_layout == ReportLayout::Classic || (m_layout == ReportLayout::QueryAnchored && m_bMarkup);
  // The parsers take a plain flag, which they only read.
  int* stop = const_cast<int*>(m_options.pStop);
  CMessageCounter messages;
  int result = 0;
  if (classic) {
    CNCBIAnalyser analyser(&entry);
    analyser.Init(m_options.pProgress, stop);
    result = analyser.ReadRequest(m_pFile.get());
    m_bDone = true;
  } else if (m_nRounds > 0) {
    // Every round of a PSI-BLAST report as its own result, from the text kept whole.
    CByteViewFile round(m_pFile->Text(), m_source.GetName());
    CNCBIAnalyserQ analyser(&entry);
    analyser.Init(m_options.pProgress, stop);
    analyser.SetRound(++m_nRound);
    result = analyser.ReadRequest(&round);
    m_bDone = m_nRound >= m_nRounds;
  } else {
    CNCBIAnalyserQ analyser(&entry);
    analyser.Init(m_options.pProgress, stop);
    analyser.SetReleaseBehind(true);  // the text is read once and dropped
    result = analyser.ReadRequest(m_pFile.get());
    m_bDone = true;
  }
  if (result == 0 || messages.m_nMessages != 0) {
    throw CReportError(messages.m_strFirst.empty()
                           ? "the report could not be read"
                           : "the report could not be read: " + messages.m_strFirst);
  }
  if (entry.m_Mol.m_strName.empty()) entry.m_Mol.m_strName = m_strQueryName;
  SetResultInfo(entry, result_info::kLayout, ReportLayoutName(m_layout));
  SetResultInfo(entry, result_info::kOlderVersion, m_strVersion);
  return 1;
}

void CWholeReportReader::ReadWhole() {
  // One buffer for the whole report, read straight into from the source and
  // handed to the parser, which reads it in place.
  CResponseText text = ReadSourceText(m_source, m_options.nMaxWholeReport);
  if (text.nRead > m_options.nMaxWholeReport) {
    throw CReportError("the report is larger than " + SizeText(m_options.nMaxWholeReport) +
                       ", the most that its layout (" + ReportLayoutName(m_layout) +
                       ") may hold in memory");
  }
  const std::string_view opening(text.pText.get(), std::min(text.nRead, kOpening));
  m_strQueryName = QueryNameOfReport(opening);
  m_strVersion = ProgramLineOfReport(opening);
  m_bMarkup = IsMarkup(opening);
  if (m_options.bEveryRound && m_layout == ReportLayout::QBlast) {
    m_nRounds = CountReportRounds(std::string_view(text.pText.get(), text.nRead));
  }
  // Every round's parse normalises a copy of the bytes as they came; a
  // single parse reads the one text in place.
  if (m_nRounds == 0) NormaliseReadText(text);
  m_pFile = std::make_unique<CResponseTextFile>(std::move(text), m_source.GetName());
}

}  // namespace blastsearch
