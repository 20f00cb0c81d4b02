#pragma once

#include <string_view>

// True when `page` is a classic web BLAST page whose alignments are laid out
// against the query (the query-anchored layout) rather than as pairwise
// alignments. Linear in the page's length; nothing is allocated.
bool IsQueryAnchoredPage(std::string_view page);
