#pragma once

#include "host/db/DBObjectBase.h"
#include "platform/Export.h"

namespace blastsearch BLASTSEARCH_EXPORT {

// A database object of type N: the host's object base with its type fixed.
template <int N>
class CDBObjectImpl : public CDBObjectBase {
 public:
  CDBObjectImpl() : CDBObjectBase(N) {}
  CDBObjectImpl(const CDBObjectImpl& other) : CDBObjectBase(other) {}
  ~CDBObjectImpl() override = default;

  // A new copy of the whole object, owned by the caller.
  CDBObjectBase* Clone() const override = 0;
  // N.
  int GetObjectType() const override { return N; }
};

}  // namespace BLASTSEARCH_EXPORT
