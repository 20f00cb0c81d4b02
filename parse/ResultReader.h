#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "platform/Exception.h"
#include "platform/Export.h"

namespace blastsearch BLASTSEARCH_EXPORT {

class CBlastSearchEntry;

// The bytes of one report, read once from start to end in pieces of the
// reader's choosing, so that a report larger than memory can be read query
// by query. Implementations: CViewReportSource (bytes in memory); the
// commands' sources over files and pipes.
class CReportSource {
 public:
  virtual ~CReportSource() = default;
  // Copies up to `size` bytes into `buffer` and returns how many; 0 only at
  // the end of the report. Throws CFileException naming the input on a read
  // error.
  virtual std::size_t Read(char* buffer, std::size_t size) = 0;
  // The report's name for messages (a path, or "standard input").
  virtual const std::string& GetName() const = 0;
  // How many bytes the source still expects to give (the rest of a file on
  // disk as it was when opened); 0 when it does not know (a pipe). Only a
  // hint for the size of a reader's buffer: more or fewer bytes may come.
  virtual std::uint64_t GetRemainingHint() const { return 0; }
};

// A report held in memory, handed out at most `piece` bytes a call (so that
// tests and fuzz targets can cross every boundary a reader keeps state
// over). The bytes must outlive the source.
class CViewReportSource : public CReportSource {
 public:
  CViewReportSource(std::string_view bytes, std::string name,
                    std::size_t piece = static_cast<std::size_t>(-1))
      : m_bytes(bytes), m_strName(std::move(name)), m_nPiece(piece == 0 ? 1 : piece) {}
  std::size_t Read(char* buffer, std::size_t size) override;
  const std::string& GetName() const override { return m_strName; }
  std::uint64_t GetRemainingHint() const override { return m_bytes.size(); }

 private:
  std::string_view m_bytes;
  std::string m_strName;
  std::size_t m_nPiece;
};

// A report that a reader cannot go on with: damaged markup, a value that is
// not a number where one must be, a nesting or a line beyond the reader's
// bounds. The message names what was wrong and where (line or byte offset);
// the caller adds the file's name. Results returned before it stay valid.
class CReportError : public CException {
 public:
  explicit CReportError(std::string message) : CException(std::move(message)) {}
};

// What the caller asks of a reader.
struct CResultReadOptions {
  // PSI-BLAST: every round as its own result; else only the last round of
  // each query (the one users act on).
  bool bEveryRound = false;
  // When non-null and non-zero, the reader ends at the next result
  // boundary it can (ReadNext returns 0); may be set from another thread or
  // a signal handler.
  const volatile int* pStop = nullptr;
  // When non-null, the readers that parse a report whole store the number
  // of hits read so far here while they parse, for a progress display; it
  // may be read from another thread.
  int* pProgress = nullptr;
  // The most bytes that a reader needing the whole report at once (the older
  // layouts) may hold; more is a CReportError saying so.
  std::uint64_t nMaxWholeReport = std::uint64_t{1} << 30;
  // Tabular and CSV reports without comment lines do not say what they hold:
  // the column specifiers that were given to BLAST+'s -outfmt after the
  // number ("qseqid sseqid evalue bitscore", "std qlen", "delim=@ std"); empty
  // for the default twelve columns. An unknown specifier is a CReportError.
  std::string strTabularColumns;
  // The program that wrote such a report (blastn, blastp, ...), which decides
  // molecule types and what frames mean; empty when not known.
  std::string strTabularProgram;
};

// Reads the results of one report, one query (or one PSI-BLAST round) at a
// time, in report order. Memory is bounded by the largest single result
// plus a fixed buffer, never by the report. Not copyable; the source must
// outlive the reader.
//
// Each result is filled as fully as the layout allows, with the model's
// member names: the query's definition line (joined when wrapped) in
// m_Mol.m_strName, its first word in m_Mol.m_strID, its length, its
// molecule type (MoleculeTypesOfProgram); each hit's first word of the
// definition line in m_strName, its identifier for links in m_strID (the gi
// number where the line has "gi|", else the accession: see
// AccessionOfSeqId), the rest of the line in m_strDescription, its length,
// and each segment pair with bit score, raw score, expect, identities,
// positives, gaps, alignment length, frames, strands and the aligned rows
// (upper case, with start and end as the report numbers them). The info
// keys of model/ResultInfo.h that the report gives are set: layout,
// program, version, database, round, query, absent, partial.
class CResultReader {
 public:
  virtual ~CResultReader() = default;
  CResultReader(const CResultReader&) = delete;
  CResultReader& operator=(const CResultReader&) = delete;

  // Reads the next result into `entry` (a default-constructed entry).
  // Returns 1 when a result was read, 0 when the report has no more (or a
  // stop was asked for). A report cut off inside a result gives that result
  // with the info key "partial" set to what was missing, then 0. Throws
  // CReportError when the report is damaged beyond reading (results
  // returned before stay valid; `entry` is then partly filled and must be
  // dropped), CFileException from the source, CMemoryException.
  virtual int ReadNext(CBlastSearchEntry& entry) = 0;

 protected:
  CResultReader() = default;
};

// Appends up to `piece` bytes of `source` to `buffer`, then doubles `piece`
// up to `maxPiece` for the next call, so that small reports stay cheap and
// large ones are read in large pieces. Returns how many bytes came; 0 only
// at the end. Exceptions of the source pass out.
std::size_t AppendFromSource(CReportSource& source, std::string& buffer, std::size_t& piece,
                             std::size_t maxPiece);

// `bytes` for messages: whole GiB, MiB or KiB where it is one ("1 GiB"),
// else bytes ("1000 bytes").
std::string SizeText(std::uint64_t bytes);

// The identifier of a sequence id for hit links: the gi number where the id
// has a "gi|" field; else the accession (with its version) of the first
// database field ("sp|P12345.2|NAME_HUMAN" gives "P12345.2",
// "gb|AB000001.1|" gives "AB000001.1", "ref|NP_000001.1|" gives
// "NP_000001.1", "pdb|1ABC|A" gives "1ABC", "gnl|BL_ORD_ID|7" gives "7"); an id without bars is
// itself.
std::string AccessionOfSeqId(std::string_view seqId);

}  // namespace BLASTSEARCH_EXPORT
