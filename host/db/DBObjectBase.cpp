#include "host/db/DBObjectBase.h"

#include "host/OrvTextFile.h"
#include "host/db/ObjInfo.h"

CDBObjectBase::CDBObjectBase(int objType) : m_nObjType(objType) {}

CDBObjectBase::CDBObjectBase(const CDBObjectBase& other)
    : CDBObject(other),
      m_name(other.m_name),
      m_creationTime(other.m_creationTime),
      m_recordId(other.m_recordId),
      m_sheetKind(other.m_sheetKind),
      m_localFlags(other.m_localFlags),
      m_creator(other.m_creator),
      m_originalAuthor(other.m_originalAuthor),
      m_description(other.m_description),
      m_keywords(other.m_keywords),
      m_udfValues(other.m_udfValues),
      m_comments(other.m_comments),
      m_nObjType(other.m_nObjType) {}

CDBObjectBase::~CDBObjectBase() = default;

int CDBObjectBase::GetObjInfo(CObjInfo& info, int /*flag*/) const {
  info.m_name = m_name;
  info.m_objId = m_recordId;
  info.m_creationTime = m_creationTime;
  info.m_strAuthor = m_creator.m_strName;
  info.SetObjType(GetObjectType());
  return 1;
}

void CDBObjectBase::GetObjRealFieldNames(int, std::vector<std::string>*) {}
int CDBObjectBase::GetObjFieldDef(int, const std::string&, CDBFieldDef&) { return 0; }
int CDBObjectBase::ReadObject(COrvTextFile&, int, int) { return 0; }
void CDBObjectBase::WriteRecord(COrvTextFile&) const {}
int CDBObjectBase::LoadComment(int) { return 0; }
int CDBObjectBase::InsertComment(int) { return 0; }
