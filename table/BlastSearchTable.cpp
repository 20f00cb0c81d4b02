#include "table/BlastSearchTable.h"

#include "host/OrvFileSpec.h"
#include "host/db/DBEngine.h"
#include "host/OrvTextFile.h"
#include "table/SearchHook.h"

namespace {

CBlastSearchTable s_blastSearchTable;

}  // namespace

CBlastSearchTable& blastSearch() { return s_blastSearchTable; }

CBlastSearchTable::CBlastSearchTable() {
  OrvRegisterFileTypeExtension(100, ".bso");
  OrvRegisterFileTypeExtension(101, ".ba6");
  OrvRegisterFileTypeExtension(102, ".bq");
  OrvRegisterFileTypeExtension(103, ".bss");
}

CBlastSearchTable::~CBlastSearchTable() = default;

int CBlastSearchTable::flink() const { return 102; }
int CBlastSearchTable::arcftype() const { return 101; }
std::string CBlastSearchTable::arcsign() { return "@BLS@"; }
std::string CBlastSearchTable::dir(int) { return "BLASTSearch"; }
std::string CBlastSearchTable::DescribeObjType(int plural, int) {
  return plural != 0 ? "BLAST Results" : "BLAST Result";
}
std::string CBlastSearchTable::DescribeSubbaseType() { return "BLASTSearch"; }
unsigned CBlastSearchTable::GetMenuCommand() const { return 33063; }
int CBlastSearchTable::HasViewer() const { return 1; }
int CBlastSearchTable::GetUDFIcon() const { return s_nObjType; }

void CBlastSearchTable::GetObjRealFieldNames(int, std::vector<std::string>*) const {}
int CBlastSearchTable::GetObjFieldDef(int, const std::string&, CDBFieldDef&) const { return 0; }
int CBlastSearchTable::GetFieldValue(int, const CObjInfo*, const CDBFieldDef*, std::string&) {
  return 0;
}
int CBlastSearchTable::ResetObjInfo(CObjInfo*, CDBObjectBase*, int) const { return 0; }
int CBlastSearchTable::GetTableIncrPars(int, int, int*, int*, int**, int*, std::string&) {
  return 1;
}
CDBObjectBase* CBlastSearchTable::ReadObject(COrvTextFile&, int, int) { return nullptr; }
int CBlastSearchTable::InitializeTableData() { return 0; }
int CBlastSearchTable::CreateNewLocalObject(const std::string&, std::string&, CObjInfo*&) {
  return 0;
}
int CBlastSearchTable::CreateNewLocalObject(std::string, const std::string&, std::string&,
                                            CObjInfo*&) {
  return 0;
}
int CBlastSearchTable::AddNewObject(CBlastSearchObject*, const std::string&, std::string&, int) {
  return 0;
}
void CBlastSearchTable::AppendPageToOpenDialog(COrvSaveLoadData&) {}
void CBlastSearchTable::AppendPageToSaveDialog(COrvSaveLoadData& data) {
  AppendPageToOpenDialog(data);
}
int CBlastSearchTable::SearchForObjects(int dbId, const std::string& subbase,
                                        std::string& resultSubbase) {
  return RunTableSearchHook(dbId, subbase, resultSubbase);
}
int CBlastSearchTable::EditLocalObject(CObjInfo*) { return 0; }
int CBlastSearchTable::OpenObject(CObjInfo* info) { return engine().OpenObject(info) != 0 ? 1 : 0; }
int CBlastSearchTable::DefaultAction(CObjInfo* info) { return OpenObject(info); }
HMENU CBlastSearchTable::GetContextMenu(bool, bool, std::string& title) {
  title.clear();
  return nullptr;
}
HICON CBlastSearchTable::GetContextIcon(int) { return nullptr; }
int CBlastSearchTable::GetObjectIconIndex(const CObjInfo*) { return 41; }
void CBlastSearchTable::UpdateImageListIcons(CImageList*) {}
int CBlastSearchTable::EditLocalObject(CBlastSearchObject*, std::string&, int) { return 0; }
