#pragma once

#include <string>
#include <string_view>

#include "platform/Export.h"

namespace blastsearch BLASTSEARCH_EXPORT {

class CBlastSearchEntry;
class CBlastSearchHitElement;

// What a reader knows of a result beyond the model's own fields, kept in the
// hit collection's info text (m_Hits.m_strInfo) so that it travels with the
// result through copies, archives, transfer files and the database. The text
// is lines of "key<TAB>value"; values hold no tab or line end (they are
// replaced by blanks when set). Results read by the older readers have an
// empty info text: every key is then absent.
namespace result_info {
inline constexpr std::string_view kLayout = "layout";    // the layout read: "BLAST+ XML", ...
inline constexpr std::string_view kProgram = "program";  // lower case: blastn, blastp, blastx,
                                                         // tblastn, tblastx, psiblast, megablast
inline constexpr std::string_view kVersion = "version";  // as the report gives it: "BLASTP 2.12.0+"
inline constexpr std::string_view kDatabase = "database";  // the searched database's name or title
inline constexpr std::string_view kRound = "round";        // PSI-BLAST: the round, from 1
inline constexpr std::string_view kQueryNumber = "query";  // the query's place in its file, from 1
inline constexpr std::string_view kPartial = "partial";    // set when the report was cut off: why
inline constexpr std::string_view kMatrix = "matrix";      // the scoring matrix named: "BLOSUM62"
// The older layouts' program line ("BLASTP 2.0.10"), kept apart from
// kVersion so that their results still show as they always did; it decides
// how their percentages were computed.
inline constexpr std::string_view kOlderVersion = "older_version";
// The digest of the result as it was read (SHA-256 in hexadecimal), set when
// it is imported: the database finds stored results again by it.
inline constexpr std::string_view kDigest = "digest";
// The search run that made the result, when blastsearch ran it: where
// ("local BLAST+" or "NCBI BLAST, request ID"), the program, the database
// and the options given, as one line.
inline constexpr std::string_view kSearch = "search";
// The model fields that the layout does not carry, comma-separated, from
// the names below: a reader leaves them at their defaults and a display
// shows them as unknown rather than as 0 or empty.
inline constexpr std::string_view kAbsent = "absent";
inline constexpr std::string_view kAbsentQueryLength = "query_length";
inline constexpr std::string_view kAbsentHitLength = "hit_length";
inline constexpr std::string_view kAbsentDescription = "description";
inline constexpr std::string_view kAbsentRows = "rows";  // aligned row texts
inline constexpr std::string_view kAbsentRawScore = "raw_score";
inline constexpr std::string_view kAbsentPositives = "positives";
inline constexpr std::string_view kAbsentGaps = "gaps";
inline constexpr std::string_view kAbsentIdentities = "identities";
inline constexpr std::string_view kAbsentFrames = "frames";          // frames and strands
inline constexpr std::string_view kAbsentAlignments = "alignments";  // hits from a summary table
}  // namespace result_info

// The value of `key` in `entry`'s info text; empty when absent.
std::string GetResultInfo(const CBlastSearchEntry& entry, std::string_view key);
// Sets `key` to `value` (tabs and line ends become blanks), replacing an
// earlier value; an empty value removes the key.
void SetResultInfo(CBlastSearchEntry& entry, std::string_view key, std::string_view value);
// True when the layout read into `entry` did not carry the field `name`
// (one of the result_info::kAbsent... names).
bool IsFieldAbsent(const CBlastSearchEntry& entry, std::string_view name);
// Adds `name` to the absent fields of `entry`.
void MarkFieldAbsent(CBlastSearchEntry& entry, std::string_view name);

// Two values of a segment pair that the archive form has no field of its
// own for, kept in the components' m_nExtra (0 = not given):
// - the subject's frame when the report gives two ("Frame = +2/-1", tblastx;
//   m_nFrame holds the first, the query's). m_nFrame holds the frame of the
//   translated side otherwise: the query's for blastx, the subject's for
//   tblastn.
// - n of "Expect(n)": the number of segment pairs whose sum statistics gave
//   the expect value.
int GetSubjectFrame(const CBlastSearchHitElement& element);
void SetSubjectFrame(CBlastSearchHitElement& element, int frame);
int GetExpectCount(const CBlastSearchHitElement& element);
void SetExpectCount(CBlastSearchHitElement& element, int count);

// Molecule types as the program implies them (2 = protein, 1 = nucleotide):
// query and subject of blastn/megablast are nucleotide, of blastp/psiblast
// protein; blastx has a nucleotide query and protein subjects, tblastn the
// reverse, tblastx nucleotide on both sides. False for a program not known.
bool MoleculeTypesOfProgram(std::string_view program, int& queryType, int& hitType);

}  // namespace BLASTSEARCH_EXPORT
