#pragma once

#include <string>

#include "parse/NCBIAnalyserBase.h"
#include "platform/Export.h"

namespace blastsearch BLASTSEARCH_EXPORT {

// Analyser of the pages of NCBI's QBlast service: the request identifier and
// the status travel in the QBlast information block, errors are kept for
// GetError, and the final page is parsed by the report parser below.
class CNCBIAnalyserQ : public CNCBIAnalyserBase {
 public:
  // An analyser without a result: only AnalyseSubmitID, CheckReady and
  // GetError may be used.
  CNCBIAnalyserQ();
  // An analyser that fills `pEntry` (not owned).
  explicit CNCBIAnalyserQ(CBlastSearchEntry* pEntry);

  // Takes the word after "RID = " (and any further blanks) up to the next
  // blank or line end, searched only after the first "QBlastInfoBegin", into
  // `strID`. Returns 1 found, 0 not found (`strID` stays empty).
  int AnalyseSubmitID(CMemFile* pResponse, std::string& strID) override;

  // As the base describes; an error or warning of the service is kept in the
  // error text (GetError) and nothing is shown.
  int CheckReady(CFile* pResponse) override;

  // The PSI-BLAST round that the report parser reads from a report with
  // rounds ("Results from round N"): kLastRound (the default) reads the
  // last round of each query, N > 0 round N. The round read is kept in the
  // entry's info (result_info::kRound); a report without round N gives no
  // hits. To read every round, read the report once per round, 1 to
  // CountReportRounds (parse/ReportRounds.h), each into its own entry.
  void SetRound(int nRound) { m_nRound = nRound; }
  int GetRound() const { return m_nRound; }

 protected:
  // Parses the report in m_pBuffer (the classic BLAST text layout, whatever
  // HTML surrounds it) and appends its hits to the entry. Returns 0 when the
  // page has no "Sequences producing significant alignments:" header (only
  // the query molecule is set up then), else 1, also after a stop request.
  // Time is linear in the text's length. Allocation failures arrive as
  // CMemoryException; hits appended before stay in the entry.
  // A report that lists its hits in the summary table but prints no
  // alignments gives one hit per description line (see
  // parse/SummaryTable.h), the fields it lacks marked absent.
  int AnalyseBuffer() override;

 private:
  int m_nRound = 0;  // kLastRound
};

}  // namespace BLASTSEARCH_EXPORT
