#pragma once

#include <string>
#include <vector>

#include "platform/Export.h"
#include "search/SearchFilter.h"

namespace blastsearch BLASTSEARCH_EXPORT {

// Text search: an object passes when one of the selected fields holds one
// of the substrings. Fields are user-defined fields (by name) and the
// built-in fields below (by code, kept as decimal text). Fields are tried
// in a fixed order, the comment file last, and the first hit wins.
class CContextFilter : public CSearchFilter {
 public:
  // Codes of the built-in fields that can be searched.
  enum : int {
    kCodeComment = 248,
    kCodeAuthor = 255,
    kCodeOriginalAuthor = 256,
    kCodeDescription = 263
  };

  CContextFilter() = default;
  ~CContextFilter() override = default;

  // Enabled, with substrings, and with at least one field selected.
  int IsActive() const override;
  // Loads the object data (once per object, see CSearchFilter). Never
  // writes anything back: an empty author record is filled with the current
  // user's only in the loaded data. A comment file that is missing or
  // cannot be read gives no match.
  int Match(CObjInfo* info, CDBObjectBase** data, int dbId) override;
  // The substrings, when only user-defined fields, the description and the
  // comment are searched (the creator records are not indexed).
  int NarrowCandidates(CCandidateQuery& query) const override;

  std::vector<std::string> m_udfNames;    // user-defined fields to search
  std::vector<std::string> m_fieldCodes;  // built-in field codes, "%d"
  std::vector<std::string> m_substrings;  // what to look for
  int m_bMatchCase = 0;                   // non-zero: case-sensitive

 private:
  bool HasCode(int code) const;
  int MatchUserFields(const CDBObjectBase& object) const;
  int MatchComment(CDBObjectBase& object, int dbId) const;
};

}  // namespace BLASTSEARCH_EXPORT
