#pragma once

#include <string>

class CBlastSearchEntry;

// The whole result as one JSON document, keys in a fixed order:
// {"query":{name,id,type,length},"hits":[{id,name,description,length,mol_type,link,
//  "elements":[{bit_score,score,expect,identities,positives,gaps,align_length,frame,
//  "query":{start,end,length,minus,seq},"subject":{...}}]}]}
// Numbers are JSON numbers; a non-finite double is written as null.
std::string EntryToJson(CBlastSearchEntry& entry);
