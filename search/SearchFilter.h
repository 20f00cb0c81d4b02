#pragma once

#include "platform/Export.h"
#include "platform/Object.h"

namespace blastsearch BLASTSEARCH_EXPORT {

class CObjInfo;
class CDBObjectBase;
struct CCandidateQuery;

// One condition of the table search. The search run asks every active
// filter, in its order, whether an object passes; the first filter that
// says no ends the testing of that object.
//
// Object data: `data` points to the run's slot for the object's loaded data.
// It is null until a filter that needs the data loads it (LoadObjectData);
// later filters of the same object find it there, and the run deletes it
// after the last filter. Filters never delete it.
class CSearchFilter : public CObject {
 public:
  ~CSearchFilter() override = default;

  // Non-zero when the filter is enabled and actually constrains something.
  virtual int IsActive() const = 0;
  // 1 when the object `info` (a record of the table's object list) passes,
  // else 0; asked only when IsActive answers non-zero. `dbId` is the
  // database searched. Throws nothing.
  virtual int Match(CObjInfo* info, CDBObjectBase** data, int dbId) = 0;
  // Adds to `query` a condition that every object this filter passes meets
  // (the storage's indexes find the candidates; Match still decides). 1 when
  // it added one; 0 when the filter cannot be put so, or `query` already
  // holds a condition of its kind. The base adds none.
  virtual int NarrowCandidates(CCandidateQuery& query) const;

  // The filter takes part in a search (the check box on its tab); 0 at first.
  int m_bEnabled = 0;

 protected:
  CSearchFilter() = default;

  // Makes sure `*data` holds the object `info`'s data, loading it through
  // the table of the object's type when the slot is null. 1 when the data
  // is there, 0 when it cannot be loaded (the slot stays null).
  static int LoadObjectData(CObjInfo* info, CDBObjectBase** data, int dbId);
};

}  // namespace BLASTSEARCH_EXPORT
