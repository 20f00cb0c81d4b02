#pragma once

#include <string>

namespace blastsearch {

class CBlastSearchEntry;

// A compact text dump of a whole result for comparing trees in tests: one
// "\n"-terminated line for the query, each hit, each element and each of its
// two rows, doubles printed with "%.6g". Null list entries are left out.
//
//   query name=<name> id=<id> type=<type> length=<length> link=<link type>:<link database>
//   hit id=<id> name=<name> length=<length> type=<mol type> desc=<description>
//     element bits=<bits> score=<score> expect=<expect> ident=<n> pos=<n> gaps=<n> align=<n>
//     frame=<n>
//       query <start>-<end> length=<length> minus=<0|1> extra=<extra> <row text>
//       sbjct <start>-<end> length=<length> minus=<0|1> extra=<extra> <row text>
std::string DumpEntry(const CBlastSearchEntry& entry);

}  // namespace blastsearch
