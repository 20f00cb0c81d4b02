#include "host/db/DBTableBase.h"

#include "host/db/DBEngine.h"
#include "host/OrvTextFile.h"

CDBTableBase::CDBTableBase() = default;
CDBTableBase::~CDBTableBase() { engine().UnregisterTable(this); }
int CDBTableBase::flink() const { return 0; }
int CDBTableBase::CreateTable(const COrvDirSpec&, int) { return 0; }
int CDBTableBase::CheckTable(const COrvDirSpec&, int) { return 0; }
int CDBTableBase::get_table_pars(int, COrvFileSpec*, CObject**, int*, int) { return 0; }
int CDBTableBase::GetTableIncrPars(int, int, int*, int*, int**, int*, std::string&) { return 0; }
int CDBTableBase::LoadTable(int) { return 0; }
int CDBTableBase::SaveTable(int) { return 0; }
int CDBTableBase::InsertObject(unsigned long, CDBObjectBase*, int, std::string&, int) { return 0; }
void CDBTableBase::AppendMenuItem(CMenu*, int&, int&) { }
int CDBTableBase::GetFieldValue(int, const CObjInfo*, const CDBFieldDef*, std::string&) { return 0; }
int CDBTableBase::DeleteObject(std::string&, int, int) { return 0; }
int CDBTableBase::InsertObjectData(unsigned long, CDBObjectBase*, int) { return 0; }
int CDBTableBase::WriteObjectsToArchive(const std::vector<std::string>&, const COrvFileSpec&, const std::string&, int, CSMDlg*, int) { return 0; }
int CDBTableBase::WriteObjectsToASCII(const std::vector<std::string>&, const std::string&, int, CSMDlg*, int) { return 0; }
int CDBTableBase::ReadObjectsFromArchive(const COrvFileSpec&, const std::string&, int, CSMDlg*, int) { return 0; }
int CDBTableBase::ReadObjectsFromASCII(const std::string&, int, CSMDlg*, int) { return 0; }
int CDBTableBase::ExtractObjectsFromArchive(const COrvFileSpec&, CDBObjectList&) { return 0; }
int CDBTableBase::ImportObject(int, const std::string&, std::string&) { return 0; }
int CDBTableBase::ExportObject(int, const std::string&, const CObjInfo*) { return 0; }
int CDBTableBase::WriteObjectSummary(const std::string&, int, COrvTextFile&) { return 0; }
int CDBTableBase::SetSystemAttributes(int, CObjAttr&, CObjInfo*) { return 0; }
COrvFileSpec CDBTableBase::MakeFileName(int, int, int) { return {}; }
COrvFileSpec CDBTableBase::MakeCommentFileName(unsigned long, int) { return {}; }
int CDBTableBase::GetSaveId(std::string&, unsigned long*, int, int, const char*) { return 0; }
unsigned long CDBTableBase::GetObjId(const char*, int) { return 0; }
int CDBTableBase::DuplicateObjectInSubbase(int, const std::string&, CObjInfo*, std::vector<std::string>&) { return 0; }
CDBObjectBase* CDBTableBase::GetObjectData(const char*, int) { return nullptr; }
CDBObjectBase* CDBTableBase::GetObjectData(unsigned long, const char*, int) { return nullptr; }
int CDBTableBase::WriteObject(const CDBObjectBase*, COrvTextFile&, int) { return 0; }
int CDBTableBase::RenameObj(int, CObjInfo*, const std::string&, int&) { return 0; }
int CDBTableBase::ChangeObjectName(CDBObjectBase*, std::string&, const std::string&, int, int&, int) { return 0; }
int CDBTableBase::InsertDBValue(int, CObjInfo*, CDBField&, int) { return 0; }
int CDBTableBase::DeleteDBValue(int, CObjInfo*, CDBField&) { return 0; }
bool CDBTableBase::Backup(int, CSMDlg*) { return false; }
bool CDBTableBase::Restore(int, CSMDlg*) { return false; }
bool CDBTableBase::Cleanup(int, CSMDlg*, int, std::vector<std::string>&, int, int) { return false; }
int CDBTableBase::ResetObjInfo(CObjInfo*, CDBObjectBase*, int) const { return 0; }
bool CDBTableBase::EngineCommand(unsigned) { return false; }
bool CDBTableBase::UpdateEngineCommand(unsigned) { return false; }
bool CDBTableBase::Hidden() const { return false; }
int CDBTableBase::InitializeTableData() { return 0; }

CObjInfoList& CDBTableBase::getobjlist(int dbId) { return ListsOf(dbId).m_objects; }
CObjInfoList& CDBTableBase::getsblist(int dbId) { return ListsOf(dbId).m_subbases; }
std::vector<std::string> CDBTableBase::getkwlist(int) { return {}; }
int CDBTableBase::AddKeyword(int, const std::string&) { return 0; }
bool CDBTableBase::SubbaseObjectNames(int, const std::string&, std::vector<std::string>&) { return false; }
int CDBTableBase::NewSubbase(int, const std::string&, const std::vector<std::string>&, int) { return 0; }
int CDBTableBase::RenameSubbase(int, const std::string&, const std::string&) { return 0; }
int CDBTableBase::DismissSubbase(int, const std::string&) { return 0; }
int CDBTableBase::ClearSubbase(int, const std::string&) { return 0; }
int CDBTableBase::DeleteSubbaseContents(int, const std::string&) { return 0; }
int CDBTableBase::IncludeInSubbase(int, const std::string&, const std::vector<std::string>&) { return 0; }
int CDBTableBase::ExcludeFromSubbase(int, const std::string&, const std::vector<std::string>&) { return 0; }
CDBStorage* CDBTableBase::StorageOf(int dbId) const { return engine().Storage(dbId); }
CDBTableBase::CLists& CDBTableBase::ListsOf(int dbId) { return m_lists[dbId]; }
void CDBTableBase::Refresh(int, CLists&, bool) {}

