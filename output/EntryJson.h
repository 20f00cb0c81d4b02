#pragma once

#include <string>

#include "platform/Export.h"

namespace blastsearch BLASTSEARCH_EXPORT {

class CBlastSearchEntry;

// The whole result as one JSON document, keys in a fixed order:
// {"query":{name,id,type,length},"hits":[{id,name,description,length,mol_type,link,
//  "elements":[{bit_score,score,expect,identities,positives,gaps,align_length,frame,
//  "query":{start,end,length,minus,seq},"subject":{...}}]}]}
// Numbers are JSON numbers; a non-finite double is written as null.
// A result whose reader said where it came from gets, after "hits", a
// "format" object of the keys it has (layout, program, version, database,
// round, query, partial); the values that its layout did not carry are null
// in their places; molecule types are those the program implies; an element
// gets "expect_count" (n of "Expect(n)") and "subject_frame" where the report
// gave them. Results of the older readers are written as they always were.
std::string EntryToJson(CBlastSearchEntry& entry);

}  // namespace BLASTSEARCH_EXPORT
