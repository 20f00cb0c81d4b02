#pragma once

#include <string>
#include <vector>

#include "host/db/CreatorData.h"
#include "platform/Export.h"

namespace blastsearch BLASTSEARCH_EXPORT {

class CObject;
class CObjInfo;
class CListBox;
class CComboBox;

// The host's free database functions. Tables are named by their object or
// subbase table identifier; database numbers as the engine's. None throws.

// The record of the stored object of `objType` named `name` in database
// `dbId` (the list record, owned by the table's list), or null.
[[nodiscard]] CObjInfo* FindObject(int objType, int dbId, const std::string& name);

// `name` as an object may carry it: control characters become blanks, and a
// name longer than `limit` bytes is cut (never inside a UTF-8 character),
// trailing blanks dropped.
std::string CutObjectName(std::string name, std::size_t limit);

// Hands out a new record identifier of `table` in database `dbId` into
// `recordId` (never handed out before, also not to another process) and
// makes `name` fit and unique in the table: cut by CutObjectName so that it
// stays within kMaxObjectName with its number, then "name_2", "name_3"...
// when taken. `list`, `mode`,
// `text` and `flag` are unused. 1; 0 when the database is not open (outputs
// unchanged).
int GetSaveObjIdFromTable(int table, CObject* list, std::string& name, unsigned long& recordId,
                          int mode, int dbId, const char* text, int flag);

// Marks an object as changed here (bit 0 of `localFlags`) and makes the
// current user its author (`creator` loaded with LoadCreatorData).
void MakeLocal(int& localFlags, CCreatorData& creator);

// The current time in seconds since 1970.
long GetOrvCurrentTime();
// Appends `seconds` since 1970 to `out` as ISO 8601 in UTC
// ("2026-12-07T10:18:54Z"), as the C library's strftime writes it.
void AppendIsoTime(long seconds, std::string& out);

// Appends to `names` the names of the objects of `table` (object table id)
// in `subbase` of database `dbId` ("MAIN" or empty: every object), in list
// order. The list and combo boxes (window layer) are not filled yet and must
// be null. `mode` is unused. Returns the number of names appended.
int fill_in_names(int table, std::vector<std::string>& names, CListBox* listBox,
                  CComboBox* comboBox, const std::string& subbase, int mode, int dbId);

// Makes the subbase `name` of subbase table `sbTable` hold exactly the
// objects `names` (created or replaced). 1, 0 with a message.
int replace_subbase(int sbTable, const std::string& name, const std::vector<std::string>& names,
                    CListBox* listBox, int dbId);

// The list records of the objects of `table` in `subbase` of database
// `dbId`, in list order (owned by the table's list); false when the subbase
// does not exist.
bool GetObjSubset(int table, const std::string& subbase, int dbId, std::vector<CObjInfo*>& subset);

// True when `subbase` stands for the whole table: empty, or "MAIN" in any
// letter case.
bool IsMainSubbase(const std::string& subbase);

// `name`, or the first of "name_2", "name_3"... that no object of `table` in
// database `dbId` other than `recordId` has. Throws CDBException.
std::string MakeUniqueObjectName(int table, int dbId, const std::string& name,
                                 unsigned long recordId);

// Non-zero when `text` holds one of `substrings` (case honoured when
// `matchCase` is non-zero; empty substrings never match).
int CheckStringContext(const std::string& text, const std::vector<std::string>& substrings,
                       int matchCase);
// Non-zero when one of the record's texts (name, organisation, e-mail) holds
// one of `substrings`.
int CheckCreatorContext(const CCreatorData& creator, const std::vector<std::string>& substrings,
                        int matchCase);
// Non-zero when `value` is acceptable as a stored text value: no line ends
// or other control characters, at most 250 characters.
int check_string_value(const std::string& value);

}  // namespace BLASTSEARCH_EXPORT
