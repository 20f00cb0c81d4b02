#include "search/SearchFilter.h"

#include "host/db/DBEngine.h"
#include "host/db/DBTableBase.h"
#include "host/db/ObjInfo.h"

namespace blastsearch {

int CSearchFilter::LoadObjectData(CObjInfo* info, CDBObjectBase** data, int dbId) {
  if (data == nullptr || info == nullptr) return 0;
  if (*data != nullptr) return 1;
  CDBTableBase* table = engine().TableByID(engine().ObjtypeToObjtable(info->GetObjType()));
  if (table == nullptr) return 0;
  try {
    *data = table->GetObjectData(info->m_objId, info->m_name.c_str(), dbId);
  } catch (...) {  // the table promises none; an unreadable object just fails the filter
    *data = nullptr;
  }
  return *data != nullptr ? 1 : 0;
}

int CSearchFilter::NarrowCandidates(CCandidateQuery&) const { return 0; }

}  // namespace blastsearch
