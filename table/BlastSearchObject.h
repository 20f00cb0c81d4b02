#pragma once

#include "model/BlastSearchEntry.h"
#include "platform/Export.h"
#include "table/DBObjectImpl.h"
#include "table/DBTypeValue.h"

namespace blastsearch BLASTSEARCH_EXPORT {

// One stored BLAST result as a database object: the host's common fields
// and the result tree, held in m_resultValue (field 2008 of the record).
class CBlastSearchObject : public CDBObjectImpl<15> {
 public:
  enum : int { kResultField = 2008 };

  // An object with an empty result.
  CBlastSearchObject();
  // A deep copy of `other` (its own result tree). Throws CMemoryException.
  CBlastSearchObject(const CBlastSearchObject& other);
  CBlastSearchObject& operator=(const CBlastSearchObject&) = delete;
  ~CBlastSearchObject() override;

  // A new copy, owned by the caller; null when the allocation fails.
  CDBObjectBase* Clone() const override;
  // The object type, 15.
  static constexpr int objtype() { return 15; }
  // CDBObjectBase::ReadObject, result unchanged; exceptions pass out.
  int ReadObject(COrvTextFile& file, int a, int b) override;

  // The storage's lookup keys: the list facts of the result and its
  // keywords (MakeResultFactKeys), and the digest its import kept in its
  // info text (kResultDigestKey and the digest; none without one).
  std::vector<std::string> GetObjectKeys() const override;

  // The result tree of the object.
  CBlastSearchEntry& Entry() { return m_resultValue.m_entry; }
  const CBlastSearchEntry& Entry() const { return m_resultValue.m_entry; }

  CDBTypeValue<CBlastSearchEntry> m_resultValue;
};

}  // namespace BLASTSEARCH_EXPORT
