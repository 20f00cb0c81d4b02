#include "table/BlastSearchTable.h"

#include <charconv>
#include <new>

#include "host/FileTypesTable.h"
#include "host/OrvFileSpec.h"
#include "host/OrvTextFile.h"
#include "host/db/DBEngine.h"
#include "host/db/DBFunctions.h"
#include "table/BlastSearchFileTypes.h"
#include "table/SearchHook.h"

// The one table is made by the module's start-up (BlastSearchModule.cpp).

CBlastSearchTable::CBlastSearchTable() {
  _FileTypesTable().RegisterFileTypeEntry(g_blastSearchFileTypes, kBlastSearchFileTypeCount);
}

CBlastSearchTable::~CBlastSearchTable() {
  // The host must not offer file types of a module that is gone.
  _FileTypesTable().UnregisterFileTypeEntry(g_blastSearchFileTypes, kBlastSearchFileTypeCount);
}

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

void CBlastSearchTable::GetObjRealFieldNames(int dbId, std::vector<std::string>* names) const {
  CBlastSearchObject scratch;
  scratch.CDBObjectBase::GetObjRealFieldNames(dbId, names);
  if (names == nullptr) return;
  names->push_back("UID");
  names->push_back("Hits Count");
  names->push_back("QueryName");
}

int CBlastSearchTable::GetObjFieldDef(int dbId, const std::string& name, CDBFieldDef& def) const {
  CBlastSearchObject scratch;
  static const struct {
    const char* name;
    int field;
    int kind;
  } own[] = {{"BlastAuthor", kFieldBlastAuthor, kValueText},
             {"QueryName", kFieldQueryName, kValueText},
             {"Hits Count", kFieldHitsCount, kValueNumber},
             {"UID", kFieldTableUID, kValueNumber}};
  for (const auto& field : own) {
    if (name == field.name) {
      def.m_fieldId = field.field;
      def.m_valueKind = field.kind;
      return 1;
    }
  }
  return scratch.CDBObjectBase::GetObjFieldDef(dbId, name, def);
}

int CBlastSearchTable::GetFieldValue(int dbId, const CObjInfo* info, const CDBFieldDef* def,
                                     std::string& out) {
  if (def == nullptr || def->m_fieldId < kFieldBlastAuthor || def->m_fieldId > kFieldTableUID) {
    return CDBTableBase::GetFieldValue(dbId, info, def, out);
  }
  out.clear();
  if (dbId == 3) return 0;
  if (info == nullptr || info->GetObjType() == 0 || info->m_objId == 0) return 0;
  switch (def->m_fieldId) {
    case kFieldQueryName:
      out = info->m_tableText;
      return 1;
    case kFieldHitsCount: {
      char text[16];
      const auto end = std::to_chars(text, text + sizeof text, info->m_tableNumber).ptr;
      out.assign(text, end);
      return 1;
    }
    default:
      return CDBTableBase::GetFieldValue(dbId, info, def, out);
  }
}

int CBlastSearchTable::ResetObjInfo(CObjInfo* info, CDBObjectBase* object, int flag) const {
  if (CDBTableBase::ResetObjInfo(info, object, flag) == 0) return 0;
  const auto* blast = dynamic_cast<const CBlastSearchObject*>(object);
  if (blast == nullptr) return 1;  // not one of ours: no list values
  info->m_tableNumber = blast->Entry().GetHitsCount();
  info->m_tableText = blast->Entry().GetMolName();
  return 1;
}

namespace {

// Stores `value` where `out` points; a null output is skipped.
template <class T>
void Put(T* out, T value) {
  if (out != nullptr) *out = value;
}

}  // namespace

int CBlastSearchTable::GetTableIncrPars(int tableId, int dbId, int* count, int* sizeLimit,
                                        int** changeCounter, int* maxChanges, std::string& ext) {
  ext = "bs";
  if (tableId == objtable()) {
    Put(sizeLimit, OBJTBLSIZE_SMALLENOUGH);
    Put(maxChanges, NOF_OBJCHANGES);
    Put(changeCounter, &m_objChanges);
    Put(count, static_cast<int>(getobjlist(dbId).GetCount()));
  } else if (tableId == sbtable()) {
    ext = "bss";
    Put(sizeLimit, OBJTBLSIZE_SMALLENOUGH);
    Put(maxChanges, NOF_SBCHANGES);
    Put(changeCounter, &m_sbChanges);
    Put(count, static_cast<int>(getsblist(dbId).GetCount()));
  }
  return 1;
}

CDBObjectBase* CBlastSearchTable::ReadObject(COrvTextFile& file, int a, int b) {
  CBlastSearchObject* object = new (std::nothrow) CBlastSearchObject;
  if (object == nullptr) return nullptr;
  try {
    object->ReadObject(file, a, b);
  } catch (...) {
    delete object;
    return nullptr;
  }
  return object;
}

int CBlastSearchTable::InitializeTableData() {
  if (MAINDIR.IsSpecSet() == 0) return 0;
  COrvFileSpec spec(MAINDIR, "DBInit", 101);
  CDBObjectList list;
  if (ExtractObjectsFromArchive(spec, list) == 0) return 0;
  bool all = true;
  for (auto& object : list) {
    object->m_creationTime = GetOrvCurrentTime();
    std::string out = kMainSubbase;
    if (AddNewObject(static_cast<CBlastSearchObject*>(object.get()), kMainSubbase, out, 1) == 0) {
      all = false;
      break;
    }
  }
  for (auto& object : list) object.reset();
  list.clear();
  return all ? 1 : 0;
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
