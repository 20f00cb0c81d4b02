#pragma once

#include <string_view>

#include "platform/Export.h"

namespace blastsearch BLASTSEARCH_EXPORT {

class CBlastSearchEntry;
class CParseControl;

// True when `page` is a report whose alignments are laid out against the
// query (the query-anchored layout: a classic web BLAST page, or a legacy
// plain-text report) rather than as pairwise alignments: somewhere a query
// row "NAME START RESIDUES END" is followed by a database row "NAME START
// ... END" (on a web page opening with a link). Linear in the page's length;
// nothing is allocated.
bool IsQueryAnchoredPage(std::string_view page);

// True for `line` (without its line break) when it is the query's row of
// alignments laid out against the query: "NAME START RESIDUES END", no tag.
bool IsQueryAnchoredRow(std::string_view line);

// Reads the hits of a query-anchored page into `entry` (appended; molecule
// type `nHitType`) with the query's length, as far as the page really gives
// them: from its one-line descriptions when it has them (name, identifier,
// description, and one element with only the bit score and expect value),
// else one hit per database sequence of the anchored rows (name and
// identifier only, no element). The fields the page does not carry are marked absent in the
// entry's info. The rows against the query are not turned into pairwise
// alignments. Returns 1 when the page had hits to read, else 0 (nothing
// appended). Linear in the page's length.
int ReadQueryAnchoredPage(std::string_view page, CBlastSearchEntry& entry, int nHitType = 1);

// The hits of ReadQueryAnchoredPage alone (the query is left as it is), with
// the caller's progress counter and stop flag: the classic page reader's
// way into this layout.
int ReadQueryAnchoredHits(std::string_view page, CBlastSearchEntry& entry, int nHitType,
                          const CParseControl& control);

}  // namespace BLASTSEARCH_EXPORT
