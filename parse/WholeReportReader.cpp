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
#include "platform/File.h"
#include "platform/UserInteraction.h"

namespace {

constexpr std::size_t kPiece = std::size_t{1} << 20;

// A report's bytes in pieces, read as a file once from start to end; each
// piece is freed once it has been read, so that a parser that copies the
// bytes into a buffer of its own does not hold them twice.
class CPieceFile : public CFile {
 public:
  explicit CPieceFile(std::string name) { m_strPath = std::move(name); }

  // Appends up to `size` bytes from `source`; returns how many.
  std::size_t Fill(CReportSource& source, std::size_t size) {
    if (m_pieces.empty() || m_pieces.back().size() == kPiece) {
      m_pieces.emplace_back();
      m_pieces.back().reserve(kPiece);
    }
    std::string& piece = m_pieces.back();
    const std::size_t want = std::min(size, kPiece - piece.size());
    const std::size_t held = piece.size();
    piece.resize(held + want);
    const std::size_t got = source.Read(piece.data() + held, want);
    piece.resize(held + got);
    m_nLength += got;
    return got;
  }
  // The bytes held so far, for the query line: the first piece.
  std::string_view Opening() const {
    return m_pieces.empty() ? std::string_view() : std::string_view(m_pieces.front());
  }

  void Close() override {}
  std::uint64_t GetLength() const override { return m_nLength; }
  std::uint64_t GetPosition() const override { return m_nPosition; }
  std::uint64_t Seek(std::int64_t offset, SeekPosition from) override {
    if (from != current || offset != 0) ThrowError("the report can only be read forward");
    return m_nPosition;
  }
  std::size_t Read(void* buffer, std::size_t count) override {
    std::size_t done = 0;
    while (done < count && m_nPiece < m_pieces.size()) {
      std::string& piece = m_pieces[m_nPiece];
      const std::size_t take = std::min(count - done, piece.size() - m_nAt);
      std::memcpy(static_cast<char*>(buffer) + done, piece.data() + m_nAt, take);
      done += take;
      m_nAt += take;
      if (m_nAt == piece.size()) {
        std::string().swap(piece);
        ++m_nPiece;
        m_nAt = 0;
      }
    }
    m_nPosition += done;
    return done;
  }
  void Write(const void*, std::size_t) override { ThrowError("the report is read-only"); }
  void Flush() override {}

 private:
  std::vector<std::string> m_pieces;
  std::uint64_t m_nLength = 0;
  std::uint64_t m_nPosition = 0;
  std::size_t m_nPiece = 0;
  std::size_t m_nAt = 0;
};

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
    CByteViewFile round(m_strWhole, m_source.GetName());
    CNCBIAnalyserQ analyser(&entry);
    analyser.Init(m_options.pProgress, stop);
    analyser.SetRound(++m_nRound);
    result = analyser.ReadRequest(&round);
    m_bDone = m_nRound >= m_nRounds;
  } else if (!m_strWhole.empty()) {
    // Every round was asked for but the report has none: the text kept whole
    // is the report (the file's bytes were taken by that copy).
    CByteViewFile whole(m_strWhole, m_source.GetName());
    CNCBIAnalyserQ analyser(&entry);
    analyser.Init(m_options.pProgress, stop);
    result = analyser.ReadRequest(&whole);
    m_bDone = true;
  } else {
    CNCBIAnalyserQ analyser(&entry);
    analyser.Init(m_options.pProgress, stop);
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
  auto file = std::make_unique<CPieceFile>(m_source.GetName());
  while (file->Fill(m_source, kPiece) != 0) {
    if (file->GetLength() > m_options.nMaxWholeReport) {
      throw CReportError("the report is larger than " + SizeText(m_options.nMaxWholeReport) +
                         ", the most that its layout (" + ReportLayoutName(m_layout) +
                         ") may hold in memory");
    }
  }
  m_strQueryName = QueryNameOfReport(file->Opening());
  m_strVersion = ProgramLineOfReport(file->Opening());
  m_bMarkup = IsMarkup(file->Opening());
  if (m_options.bEveryRound && m_layout == ReportLayout::QBlast) {
    m_strWhole.resize(file->GetLength());
    m_strWhole.resize(file->Read(m_strWhole.data(), m_strWhole.size()));
    m_nRounds = CountReportRounds(m_strWhole);
  }
  m_pFile = std::move(file);
}
