#include "table/BlastSearchTable.h"

#include <charconv>
#include <filesystem>
#include <new>

#include "host/FileTypesTable.h"
#include "host/OrvFileSpec.h"
#include "host/OrvMessageBox.h"
#include "host/OrvTextFile.h"
#include "host/db/DBEngine.h"
#include "host/db/DBFunctions.h"
#include "host/db/OrvSaveLoadData.h"
#include "platform/ImageList.h"
#include "platform/ModuleResources.h"
#include "platform/UserInteraction.h"
#include "table/BlastSearchFileTypes.h"
#include "table/SearchHook.h"

namespace blastsearch {

namespace {

// The context menu and the bitmaps of the module's resources.
constexpr unsigned kContextMenuId = 10001;
constexpr unsigned kSmallTableBitmap = 1004;
constexpr unsigned kLargeTableBitmap = 1005;
constexpr unsigned kSmallObjectBitmaps = 1006;
constexpr unsigned kLargeObjectBitmaps = 1007;
// Pure red marks the transparent pixels of the bitmaps.
constexpr CRgb kMaskRed{255, 0, 0};
// Where the host's image lists keep the four object icons, and their size.
constexpr int kFirstObjectIcon = 42;
constexpr int kObjectIcons = 4;
constexpr int kHostImageCount = 46;

// The text buffer of the table's open and save dialog page; lives as long as
// the module.
std::string s_dialogPageText;

}  // namespace

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

namespace {

// The fields the BLAST table adds, listed in this order after the
// user-defined ones (the BLAST author is found by name but not listed).
const std::vector<CNamedField>& BlastFields() {
  static const std::vector<CNamedField> fields = {
      {"UID", CBlastSearchTable::kFieldTableUID, kValueNumber, true},
      {"Hits Count", CBlastSearchTable::kFieldHitsCount, kValueNumber, true},
      {"QueryName", CBlastSearchTable::kFieldQueryName, kValueText, true},
      {"BlastAuthor", CBlastSearchTable::kFieldBlastAuthor, kValueText, false}};
  return fields;
}

}  // namespace

void CBlastSearchTable::GetObjRealFieldNames(int dbId, std::vector<std::string>* names) const {
  CBlastSearchObject scratch;
  scratch.CDBObjectBase::GetObjRealFieldNames(dbId, names);
  if (names != nullptr) AppendListedFieldNames(BlastFields(), *names);
}

int CBlastSearchTable::GetObjFieldDef(int dbId, const std::string& name, CDBFieldDef& def) const {
  if (FindNamedField(BlastFields(), name, def)) return 1;
  CBlastSearchObject scratch;
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
  if (ExtractObjectsFromArchive(spec, list) == 0) {
    // No initial archive is no news; one that cannot be read is.
    std::error_code error;
    if (std::filesystem::exists(spec.GetPath(), error)) {
      const std::string text =
          spec.GetPath() + ": the initial archive can't be read (damaged or not an archive of " +
          DescribeObjType(1, 0) + "); the new database starts without its results";
      OrvMessageBox(text.c_str(), MB_ICONSTOP, 0);
    }
    return 0;
  }
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

void CBlastSearchTable::AppendPageToOpenDialog(COrvSaveLoadData& data) {
  try {
    s_dialogPageText.clear();
    COrvSaveLoadPageData page;
    page.m_nObjTable = objtable();
    page.m_nSbTable = 0;
    page.m_nFlags = 0;
    page.m_pSelection = &s_dialogPageText;
    page.m_bShowIcons = 1;
    page.m_nListRows = 10;
    page.m_strTitle = "BLAST Search Objects";
    data.m_pages.push_back(std::move(page));
  } catch (...) {  // out of memory: the dialog goes without the page
  }
}
void CBlastSearchTable::AppendPageToSaveDialog(COrvSaveLoadData& data) {
  AppendPageToOpenDialog(data);
}
int CBlastSearchTable::SearchForObjects(int dbId, const std::string& subbase,
                                        std::string& resultSubbase) {
  return RunTableSearchHook(dbId, subbase, resultSubbase);
}
int CBlastSearchTable::OpenObject(CObjInfo* info) {
  try {
    return engine().OpenObject(info) != 0 ? 1 : 0;
  } catch (...) {  // a viewer that fails opens nothing; the host's call returns
    return 0;
  }
}
int CBlastSearchTable::DefaultAction(CObjInfo* info) { return OpenObject(info); }
CMenu* CBlastSearchTable::GetContextMenu(bool full, bool tableMenu, std::string& title) {
  try {
    std::unique_ptr<CMenu> menu = LoadMenu(kContextMenuId);
    if (menu == nullptr) {
      title.clear();
      return nullptr;
    }
    const int pos = full ? (tableMenu ? 0 : 1) : (tableMenu ? 2 : 3);
    title = menu->GetMenuString(pos);
    return menu->RemovePopup(pos).release();  // the rest of the menu goes with `menu`
  } catch (...) {
    return nullptr;
  }
}

CIcon* CBlastSearchTable::GetContextIcon(int size) {
  try {
    const int side = size == 1 ? 16 : 32;
    CImageList list;
    const std::unique_ptr<CBitmap> bitmap =
        LoadBitmap(size == 1 ? kSmallTableBitmap : kLargeTableBitmap);
    if (bitmap == nullptr || !list.Create(side, side, 1) || list.Add(*bitmap, kMaskRed) < 0) {
      return nullptr;
    }
    return list.ExtractIcon(0).release();
  } catch (...) {
    return nullptr;
  }
}

int CBlastSearchTable::GetObjectIconIndex(const CObjInfo*) { return 41; }

void CBlastSearchTable::UpdateImageListIcons(CImageList* list) {
  if (list == nullptr) return;
  try {
    if (list->GetImageCount() <= kHostImageCount) list->SetImageCount(kHostImageCount);
    int cx = 0;
    int cy = 0;
    list->GetImageSize(cx, cy);
    const bool small = cy < 32;
    const int side = small ? 16 : 32;
    CImageList icons;
    const std::unique_ptr<CBitmap> bitmap =
        LoadBitmap(small ? kSmallObjectBitmaps : kLargeObjectBitmaps);
    if (bitmap == nullptr || !icons.Create(side, side, 1) || icons.Add(*bitmap, kMaskRed) < 0) {
      return;
    }
    for (int i = 0; i < kObjectIcons; ++i) {
      if (const std::unique_ptr<CIcon> icon = icons.ExtractIcon(i); icon != nullptr) {
        list->Replace(kFirstObjectIcon + i, *icon);
      }
    }
  } catch (...) {  // out of memory: the list keeps what it had
  }
}

}  // namespace blastsearch
