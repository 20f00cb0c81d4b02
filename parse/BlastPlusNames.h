#pragma once

#include <string>
#include <string_view>

#include "platform/Export.h"

namespace blastsearch BLASTSEARCH_EXPORT {

class CBlastSearchEntry;
class CBlastSearchHit;
class CBlastSearchHitElement;

// Helpers shared by the readers of BLAST+'s machine layouts (JSON, tabular),
// so that they name queries and hits as BLAST+'s pairwise text shows them.

// The query's name as the text's "Query=" line shows it: the title alone when
// `id` is one of BLAST+'s local numbers ("Query_7", "lcl|Query_7"), which the
// text does not show; else the id, a blank and the title. Empty parts are
// left out.
std::string QueryNameOfIdAndTitle(std::string_view id, std::string_view title);

// Fills the hit's name, link identifier and description from a sequence id and
// its title as the text's definition line shows them: the name is the id's
// accession (with version; a leading "gi|N|" field skipped), the link
// identifier AccessionOfSeqId of the id, the description the title. A local
// database number ("gnl|BL_ORD_ID|7") names nothing: the title's first word is
// then the name and the rest the description.
void SetHitNames(CBlastSearchHit& hit, std::string_view seqId, std::string_view title);

// The query record's type words for a program's query type (2 = protein), as
// the older readers set them.
void SetQueryType(CBlastSearchEntry& entry, int queryType);

// Makes the row's start and end read as the report's text numbers them: a row
// on the minus strand runs from the higher position to the lower. Sets the
// minus flag when `minus`.
void SetRowSpan(CBlastSearchHitElement& element, bool subject, long long from, long long to,
                bool minus);

// `text` in upper case (ASCII letters only).
std::string UpperCaseRow(std::string_view text);

}  // namespace BLASTSEARCH_EXPORT
