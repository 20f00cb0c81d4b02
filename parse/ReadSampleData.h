#pragma once

#include <string>

#include "platform/Export.h"

namespace blastsearch BLASTSEARCH_EXPORT {

class CBlastSearchEntry;
class CBlastSearchHit;
class CBlastSearchHitElement;
class CFile;
class CMarkerCache;
class CParseControl;

// Reader of BLAST reports in the HTML layout of NCBI's classic web pages
// ("<b>Query=</b>", hits opened by "<a name" anchors and links): fills a
// result from a page held in a file object, or from a saved page that it asks
// the user for.
//
// The reader points at the result and the file; it owns neither, and the
// caller keeps both alive while the reader is used. Copies copy every field
// as it is. Messages go to the user through the platform's plain message box.
class CReadSampleData {
 public:
  // A reader that fills `pEntry` (not owned); no file, no progress counter,
  // no stop flag, both object types 1.
  explicit CReadSampleData(CBlastSearchEntry* pEntry);
  // The same, reading the page from `pFile` (not owned) in Analyse.
  CReadSampleData(CBlastSearchEntry* pEntry, CFile* pFile);
  CReadSampleData(const CReadSampleData&) = default;
  CReadSampleData& operator=(const CReadSampleData&) = default;
  ~CReadSampleData() = default;

  // Object types given to the query molecule and to every hit molecule.
  void InitObjTypes(int nQueryType, int nHitType);

  // Asks the user for a saved page ("htm" files), reads and parses it.
  // Returns 1 read and parsed; 0 when the user cancels, when the file cannot
  // be opened or read whole ("Can't read Data File") or when the parse fails
  // ("Can't read Data File\nWrong format"). Raises nothing.
  int Read();

  // Reads the reader's file whole from its position and parses it, with the
  // caller's progress counter and stop flag (either may be null; the reader
  // keeps them). Line endings CR-LF and CR are read as LF and zero bytes as
  // blanks, as in Read. Returns 1 read and parsed; 0 when the file could not be read
  // whole (message "HTTP-Data File don't readed"; the entry is untouched).
  // File failures arrive as CFileException, allocation failures as
  // CMemoryException (hits appended before stay in the entry).
  int Analyse(int* pProgress, int* pStop);

 private:
  // Parses m_pBuffer into the entry.
  void ReadBuffer();
  // Finds `marker` from the cursor (empty: at the cursor; a marker that
  // begins with '<' in any letter case) and moves past it; unless
  // `bPositionOnly`, then moves past the characters of `delimiters` and takes
  // the characters up to the next delimiter (or the text's end) into `value`,
  // leaving the cursor on that delimiter. `value` is emptied first. Returns 1
  // found, 0 not found (cursor unchanged).
  int ReadString(const char* marker, std::string& value, const char* delimiters, int bPositionOnly);
  // Moves the cursor past blanks; 1 if it then stands on a character with a
  // code from 33 to 127.
  int SkipSpace();
  // Reads the hits of a page whose hits have no pairwise alignments: a
  // query-anchored page, or a page of description lines only. False when
  // the page has pairwise hits (nothing is read then).
  bool ReadHitsWithoutAlignments(CMarkerCache& markers, const CParseControl& control);
  // Reads the alignments of one hit, as long as another "Score = " follows
  // before the next hit's anchor.
  void ReadElements(CBlastSearchHit& hit);
  // Reads one alignment (scores, counts, strands, rows) into the hit.
  void ReadElement(CBlastSearchHit& hit);
  // Reads the rows of one alignment into the element.
  void ReadRows(CBlastSearchHitElement& element);
  // Where the alignment being read ends: the next "Score = " or anchor, or
  // null when neither follows.
  const char* BlockEnd();

  CBlastSearchEntry* m_pEntry;  // the result to fill; not owned
  CFile* m_pFile;               // the page to read in Analyse; not owned
  char* m_pBuffer;              // the page being parsed; only during Read and Analyse
  char* m_pCursor;              // reading position; null once the query marker is missing
  int* m_pStop;                 // caller's stop flag; not owned; null: none
  int* m_pProgress;             // caller's progress counter; not owned; null: none
  int m_nQueryType;             // object type of the query molecule
  int m_nHitType;               // object type of every hit molecule
  CMarkerCache* m_pMarkers;     // marker positions of the page; only during ReadBuffer
};

}  // namespace BLASTSEARCH_EXPORT
