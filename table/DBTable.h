#pragma once

#include "host/db/DBEngine.h"
#include "host/db/DBTableBase.h"
#include "platform/Export.h"

namespace blastsearch BLASTSEARCH_EXPORT {

// A table with fixed identifiers: object, subbase and auxiliary table, the
// object class and the object file type. Registers itself with the engine
// under its object table identifier at construction.
template <int ObjTableId, int SbTableId, int AuxTableId, class ObjectClass, int ObjFileType>
class CDBTable : public CDBTableBase {
 public:
  CDBTable() { engine().RegisterTable(ObjTableId, this); }
  ~CDBTable() override = default;

  int objtable() override { return ObjTableId; }
  int sbtable() override { return SbTableId; }
  int auxtable() override { return AuxTableId; }
  int tableobjtype() override { return s_nObjType; }
  int objftype() override { return ObjFileType; }

  // The object type of ObjectClass, set while static objects are made.
  static int s_nObjType;
};

template <int ObjTableId, int SbTableId, int AuxTableId, class ObjectClass, int ObjFileType>
int CDBTable<ObjTableId, SbTableId, AuxTableId, ObjectClass, ObjFileType>::s_nObjType =
    ObjectClass::objtype();

}  // namespace BLASTSEARCH_EXPORT
