#pragma once

#include <string_view>

#include "platform/Export.h"

namespace blastsearch BLASTSEARCH_EXPORT {

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
};

// Reads the row pair whose query row is the first "Query:" at or after
// `from` when it and its subject row are in the form above, the "Query:"
// being the first ':' at or after `from` and the "Sbjct:" the first after
// the query row. Returns false, with `pair` in an unspecified state, when
// they are not. Reads nothing outside [from, end); linear in what it reads.
bool ReadRowPair(const char* from, const char* end, CRowPair& pair);

}  // namespace BLASTSEARCH_EXPORT
