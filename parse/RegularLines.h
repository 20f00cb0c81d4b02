#pragma once

#include <string_view>

#include "platform/Export.h"

namespace blastsearch BLASTSEARCH_EXPORT {

// Lines of a QBlast report's alignments in the form that nearly every
// report writes them, read in one pass each; any other form is left to the
// general reading of the report walk, which reads it to the same values.

// One pair of alignment rows of a QBlast report in the form that nearly
// every report writes them:
//
//   Query: 12  ACDEFGHIKL 21
//              ACDEF HIKL
//   Sbjct: 5   ACDEFAHIKL 14
//
// Each row: its label and ':', blanks, a start number of one to nine
// digits, one blank, blanks, the residues, blanks, an end number of one to
// nine digits and a line feed. The query row's residues do not begin with
// a digit (a row without residues), and the text between the query row and
// the subject row holds no ':'. Any other shape is left to the general
// reading, which reads it to the same values. Pointers and views point into
// the text read.
struct CRowPair {
  const char* pAfterQueryStart = nullptr;  // just past the blank after the query's start number
  int nQueryStart = 0;
  std::string_view query;  // the query row's residues, as written
  int nQueryEnd = 0;
  int nSubjectStart = 0;
  std::string_view subject;  // the subject row's residues, as written
  int nSubjectEnd = 0;
  const char* pLineEnd = nullptr;  // the line feed that ends the subject row
  bool bLowerCase = false;         // either row's residues hold a lower-case ASCII letter
};

// Reads the row pair whose query row is the first "Query:" at or after
// `from` when it and its subject row are in the form above, the "Query:"
// being the first ':' at or after `from` (within 128 characters of it) and
// the "Sbjct:" the first after the query row (within twice that row's
// length). Returns false, with `pair` in an unspecified state, when they
// are not. Reads nothing outside [from, end), and no more than the rows'
// lines and those reaches.
bool ReadRowPair(const char* from, const char* end, CRowPair& pair);

// The score line of a segment pair in the form
//
//   Score = 123.4 bits (270), Expect = 3e-45
//
// after nothing but blanks and line breaks (at most 64 of them) from where
// the look starts: "Score", blanks, '=', blanks, the bit score up to a
// blank, "bits (", the raw score up to ')', a blank or a line break, then
// ", Expect", the '=' within 16 characters, blanks, and the expect value up
// to a blank or a line break. The values are the texts as written; the
// general reading converts them.
struct CScoreLine {
  std::string_view bits;                // the bit score
  std::string_view raw;                 // the raw score
  const char* pBeforeExpect = nullptr;  // just past the character that ends the raw score
  std::string_view expect;              // the expect value, "(2) = " and the like left out
  const char* pEnd = nullptr;           // just past the character that ends the expect value
};

// Reads the score line at `from` in the form above; false, with `line` in
// an unspecified state, when it is not in that form. Reads nothing outside
// [from, end), and nothing past the expect value's end.
bool ReadScoreLine(const char* from, const char* end, CScoreLine& line);

// The counts clause "<label> = 200/250 (80%), " of a segment pair's
// identities line that begins at `at`: just past it (where the next
// label begins; the line break, for a clause "<label> = 5/250 (2%)" that
// ends the line), or null when the text there is not in exactly that form
// (blanks around '=' and before '(' allowed). When it is, `pCount` and
// `pColumns` (either may be null) get its first two numbers as the general
// reading takes them (held at INT_MAX when larger). Reads nothing outside
// [at, end).
const char* SkipCountsClause(const char* at, const char* end, std::string_view label,
                             int* pCount = nullptr, int* pColumns = nullptr);

// True when `text` stands at `at`, whole before `end`.
bool StartsWithText(const char* at, const char* end, std::string_view text);

}  // namespace BLASTSEARCH_EXPORT
