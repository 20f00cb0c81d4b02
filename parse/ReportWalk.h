#pragma once

#include <cstddef>
#include <memory>
#include <string>

class CBlastSearchHit;
class CBlastSearchHitElement;
class CUxMol;

// Pieces that the QBlast report parser and the classic HTML report reader
// share while they walk a report.

// The caller's progress counter and stop flag (either may be null; not
// owned). Both are accessed atomically, so another thread may watch the
// counter and set the flag while a parse runs.
class CParseControl {
 public:
  CParseControl(int* pProgress, int* pStop) : m_pProgress(pProgress), m_pStop(pStop) {}

  // Stores the number of hits appended so far, if there is a counter.
  void StoreProgress(int nHits) const;
  // True when there is a stop flag and it is non-zero.
  bool StopRequested() const;

 private:
  int* m_pProgress;
  int* m_pStop;
};

// The standard integer conversion of `value`: leading white space, an
// optional sign, decimal digits; 0 when no number begins the text. A number
// beyond the range of int is clamped to INT_MAX or INT_MIN.
int ToNumber(const std::string& value);

// The standard floating-point conversion of `value` (0 when no number
// begins the text).
double ToReal(const std::string& value);

// Reads `text` as the scan format "<label> = %d/%d (%d" reads it (white
// space in the format matches any run of white space, line breaks included,
// and "%d" skips white space before its number). Returns how many of the
// three numbers were read; the first two land in `first` and `second`.
// Reads no further than the format needs; numbers beyond the range of int
// are clamped.
int ScanCounts(const char* text, const char* label, int& first, int& second);

// The minus-strand flag of a strand word: 0 when its upper-case form holds
// "PLUS", else 1.
int MinusStrandFlag(std::string word);

// Sets up the query molecule for a parse: its type, the second type word (2
// for type 2, else 0) and the further words 1 and 0.
void SetUpQueryMolecule(CUxMol& mol, int nQueryType);

// Reserves room for the rows of an element whose identities line announced
// `nAlignLength` columns, never more than the `nRemaining` characters of
// text that are left to hold them.
void ReserveRows(CBlastSearchHitElement& element, std::size_t nRemaining);

// Finishes an element and appends it to the hit: both row texts upper-cased,
// both components' lengths set to the query row text's length, the hit's
// length raised to that length when smaller.
void AppendElement(CBlastSearchHit& hit, std::unique_ptr<CBlastSearchHitElement> element);
