#pragma once

#include <atomic>
#include <cstddef>
#include <memory>
#include <string>
#include <string_view>

#include "platform/Export.h"

namespace blastsearch BLASTSEARCH_EXPORT {

class CMarkerCache;
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
  void StoreProgress(int nHits) const {
    if (m_pProgress != nullptr)
      std::atomic_ref<int>(*m_pProgress).store(nHits, std::memory_order_relaxed);
  }
  // True when there is a stop flag and it is non-zero.
  bool StopRequested() const {
    return m_pStop != nullptr &&
           std::atomic_ref<int>(*m_pStop).load(std::memory_order_relaxed) != 0;
  }

 private:
  int* m_pProgress;
  int* m_pStop;
};

// The standard integer conversion of `value`: leading white space, an
// optional sign, decimal digits; 0 when no number begins the text. A number
// beyond the range of int is clamped to INT_MAX or INT_MIN.
int ToNumber(const std::string& value);

// The string atoi of the scanning primitives (every character other than a
// decimal digit or '-' dropped, the rest read as an integer, clamped to the
// range of int), without building the cleaned copy.
int CleanNumber(std::string_view value);

// The standard floating-point conversion of `value` (0 when no number
// begins the text), rounded as strtod rounds: plain decimals (with an
// optional sign) through from_chars, everything else through strtod.
double ToReal(const std::string& value);

// Reads `text` as the scan format "<label> = %d/%d (%d" reads it (white
// space in the format matches any run of white space, line breaks included,
// and "%d" skips white space before its number). Returns how many of the
// three numbers were read; the first two land in `first` and `second`.
// Reads no further than the format needs; numbers beyond the range of int
// are clamped.
int ScanCounts(const char* text, const char* label, int& first, int& second);

// An expect value: the standard floating-point conversion, except that
// NCBI's short form of a power of ten ("e-114" for 1e-114), which that
// conversion reads as 0, is read with its implied 1.
double ToExpect(const std::string& value);

// The minus-strand flag of a strand word: 0 when its upper-case form holds
// "PLUS", else 1.
int MinusStrandFlag(std::string word);

// Sets up the query molecule for a parse: its type, the second type word (2
// for type 2, else 0) and the further words 1 and 0.
void SetUpQueryMolecule(CUxMol& mol, int nQueryType);

// Reserves room for the rows of an element whose identities line announced
// its number of columns, never more than the characters of its own text from
// `rest` (its first row) up to `blockEnd` (where the next alignment or hit
// begins) could hold; nothing when `blockEnd` is null. The rows of all
// elements so reserve no more than the text's length in all.
void ReserveRows(CBlastSearchHitElement& element, const char* rest, const char* blockEnd);

// Finishes an element and appends it to the hit: both row texts upper-cased,
// both components' lengths set to the query row text's length, the hit's
// length raised to that length when smaller.
void AppendElement(CBlastSearchHit& hit, std::unique_ptr<CBlastSearchHitElement> element);
// The same for rows known to hold no lower-case ASCII letter when
// `bUpperCase` is set, which are then not upper-cased again.
void AppendElement(CBlastSearchHit& hit, std::unique_ptr<CBlastSearchHitElement> element,
                   bool bUpperCase);

// The query's own length statement in the query block that begins at `from`
// (just after the query marker): a "(N letters)" in one of its lines, or a
// line that begins with "Length=N" or "Length = N". The block ends before a
// line that begins with '>' or holds "Database:", "Sequences producing" or
// "Score =", or at the text's end. Returns the position just past the
// statement's number, or null when the block has no statement (`length` is
// then untouched); N may hold thousands separators. Reads no further than
// the block.
const char* FindQueryLength(const char* from, int& length);

// The text of a definition line that begins at `line` and of its wrapped
// continuation lines, joined with one blank (blanks around each join
// dropped). Continuation lines run up to, not including, a blank line, a line
// that begins with '>', a line that begins with "Length" or '<' (a tag) after
// blanks, or the text's end. Returns the line break that ends the last line joined (or
// the text's end); the joined text goes to `text`. Line ends are found with
// `markers`, the marker searches of the parse.
const char* JoinDefinitionLines(const char* line, CMarkerCache& markers, std::string& text);

// A definition line as the QBlast layout writes it, HTML markup or not: tags
// are skipped and the entities &gt; &lt; &amp; &nbsp; decoded; then the first
// word is the name, the rest after blanks the description. The identifier is
// the name of an "<a name = N>" anchor before the name, when there is one (as
// NCBI's QBlast pages write them), else the gi number of the name (ParseID).
// `line` must not view the text of one of the three results.
void SplitDefinition(std::string_view line, std::string& name, std::string& id,
                     std::string& description);

// Length of the number that begins `value` (an optional sign, then decimal
// digits), 0 when no digit begins it. Early BLAST versions glue a row's start
// number to its residues; the number ends at its first non-digit.
std::size_t LeadingNumberLength(std::string_view value);

// The first line break ('\n' or '\r') in `text` at or after `from`, or the
// text's size when none follows.
std::size_t LineBreakAt(std::string_view text, std::size_t from);

}  // namespace BLASTSEARCH_EXPORT
