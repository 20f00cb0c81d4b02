#include "search/SearchRun.h"

#include <algorithm>
#include <cctype>
#include <iterator>
#include <memory>
#include <unordered_set>

#include "host/OrvMessageBox.h"
#include "host/db/DBEngine.h"
#include "host/db/DBFunctions.h"
#include "host/db/DBStorage.h"
#include "host/db/ProgressWindow.h"
#include "host/db/SubbaseNamePrompt.h"
#include "platform/UserInteraction.h"
#include "search/CommentIndex.h"

namespace blastsearch {

namespace {

void Inform(const std::string& text) { OrvMessageBox(text.c_str(), MB_ICONINFORMATION, 0); }

bool SameIgnoringCase(const std::string& a, const std::string& b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    if (std::tolower(static_cast<unsigned char>(a[i])) !=
        std::tolower(static_cast<unsigned char>(b[i]))) {
      return false;
    }
  }
  return true;
}

// Deletes an object's loaded data when the object's testing ends.
struct CDataSlot {
  CDBObjectBase* m_pData = nullptr;
  ~CDataSlot() { delete m_pData; }
};

}  // namespace

std::string CutSubbaseName(const std::string& name) {
  if (name.size() <= kMaxSubbaseName) return name;
  std::size_t end = kMaxSubbaseName;
  // Back off over continuation bytes so that a character is never split.
  while (end > 0 && (static_cast<unsigned char>(name[end]) & 0xC0) == 0x80) --end;
  return name.substr(0, end);
}

CSearchRun::CSearchRun(int objType, int dbId) : m_objType(objType), m_dbId(dbId) {}

CSearchRun::~CSearchRun() = default;

void CSearchRun::AddFilter(CSearchFilter* filter) { m_filters.push_back(filter); }

int CSearchRun::HasActiveFilter() const {
  for (const CSearchFilter* filter : m_filters) {
    if (filter != nullptr && filter->IsActive() != 0) return 1;
  }
  return 0;
}

void CSearchRun::UpdateFilters() {}

void CSearchRun::OnSubbaseFilled(const std::string&) {}

std::string CSearchRun::SubbaseToSearch() const {
  if (!m_lookInSubbase.empty() && !SameIgnoringCase(m_lookInSubbase, kMainSubbase)) {
    return m_lookInSubbase;
  }
  return kMainSubbase;
}

void CSearchRun::OnStartSearch() {
  m_results.clear();
  m_resultInfos.clear();
  m_nTested = 0;
  try {
    UpdateFilters();
    Search();
  } catch (const std::exception& e) {
    m_results.clear();
    m_resultInfos.clear();
    m_outcome = kNotStored;
    OrvMessageBox((std::string("The search failed: ") + e.what()).c_str(), MB_ICONSTOP, 0);
  }
}

void CSearchRun::Search() {
  const std::string typeName = engine().DescribeObjType(m_objType, 0, 1);
  const std::string subbase = SubbaseToSearch();
  if (HasActiveFilter() == 0) {
    m_outcome = kAllObjects;
    Inform("Search Result: All " + typeName + " of " + subbase + " Subbase");
    return;
  }
  const int objTable = engine().ObjtypeToObjtable(m_objType);
  const int sbTable = engine().ObjtypeToSbtable(m_objType);
  if (objTable == 0 || sbTable == 0) {
    m_outcome = kNoTables;
    return;
  }

  auto progress = std::make_unique<CServiceSMDlg>();
  progress->SetTitle("Searching...");
  progress->SetMessage("Sorting Data...");
  bool empty = false;
  if (SearchCandidates(objTable, subbase, *progress, empty)) {
    progress.reset();
    if (empty) {
      EndWithEmptySubbase(subbase, typeName);
    } else {
      EndWithResults(sbTable, typeName);
    }
    return;
  }
  std::vector<std::string> names;
  if (CDBTableBase* table = engine().TableByID(objTable); table != nullptr) {
    names.reserve(table->getobjlist(m_dbId).GetCount());  // at most the whole table
  }
  fill_in_names(objTable, names, nullptr, nullptr, subbase, 2, m_dbId);
  if (names.empty()) {
    progress.reset();
    EndWithEmptySubbase(subbase, typeName);
    return;
  }
  const bool listed = CollectResults(objTable, names, *progress);
  progress.reset();
  if (!listed) {
    m_outcome = kNoObjectList;
    m_results.clear();
    m_resultInfos.clear();
    return;
  }
  EndWithResults(sbTable, typeName);
}

void CSearchRun::EndWithEmptySubbase(const std::string& subbase, const std::string& typeName) {
  m_outcome = kEmptySubbase;
  Inform(subbase == kMainSubbase ? "Database Contains No " + typeName
                                 : std::string("Specified Subbase is Empty or Doesn't Exist"));
}

void CSearchRun::EndWithResults(int sbTable, const std::string& typeName) {
  if (m_results.empty()) {
    m_outcome = kNothingFound;
    Inform("No " + typeName + " Found");
    return;
  }
  StoreResults(sbTable, typeName);
}

bool CSearchRun::CollectResults(int objTable, const std::vector<std::string>& names,
                                CSMDlg& progress) {
  CDBTableBase* table = engine().TableByID(objTable);
  CObject* listObject = nullptr;
  if (table == nullptr ||
      table->get_table_pars(objTable, nullptr, &listObject, nullptr, m_dbId) == 0) {
    return false;
  }
  const auto* list = dynamic_cast<const CObjInfoList*>(listObject);
  if (list == nullptr) return false;
  for (CObjInfo* record : RecordsNamed(*list, names)) TestObject(*record, progress);
  return true;
}

void CSearchRun::TestObject(CObjInfo& info, CSMDlg& progress) {
  progress.SetMessage(info.m_name);
  ++m_nTested;
  if (Passes(&info) == 0) return;
  m_results.push_back(info.m_name);
  m_resultInfos.push_back(info);
}

bool CSearchRun::SearchCandidates(int objTable, const std::string& subbase, CSMDlg& progress,
                                  bool& empty) {
  CDBStorage* storage = engine().Storage(m_dbId);
  if (storage == nullptr || !m_bNarrow) return false;
  CCandidateQuery query;
  bool narrowing = false;
  for (const CSearchFilter* filter : m_filters) {
    if (filter != nullptr && filter->IsActive() != 0 && filter->NarrowCandidates(query) != 0) {
      narrowing = true;
    }
  }
  // The comment index follows the comment files; when it cannot, the text
  // is not narrowed.
  if (query.m_bTextInComments && !RefreshCommentIndex(*storage, objTable, m_objType, m_dbId)) {
    query.m_textSubstrings.clear();
    query.m_bTextInComments = false;
  }
  if (!narrowing) return false;
  std::vector<unsigned long> members;
  const bool whole = subbase == kMainSubbase;
  if (whole) {
    empty = storage->CountObjects(objTable) == 0;
  } else {
    const unsigned long id = storage->FindSubbase(objTable, SubbaseNameOf(subbase));
    if (id != 0) members = storage->SubbaseMembers(objTable, id);
    empty = members.empty();
  }
  if (empty) return true;
  std::vector<unsigned long> ids;
  if (!storage->CandidateIds(objTable, query, ids)) return false;
  if (!whole) {
    std::vector<unsigned long> both;
    std::set_intersection(ids.begin(), ids.end(), members.begin(), members.end(),
                          std::back_inserter(both));
    ids.swap(both);
  }
  // The candidates' list columns a batch at a time (one deleted meanwhile
  // is left out).
  constexpr std::size_t kBatch = 10000;
  std::vector<CStoredObject> rows;
  for (std::size_t start = 0; start < ids.size(); start += kBatch) {
    const std::vector<unsigned long> batch(
        ids.begin() + static_cast<std::ptrdiff_t>(start),
        ids.begin() + static_cast<std::ptrdiff_t>(std::min(ids.size(), start + kBatch)));
    storage->ReadObjectsById(objTable, batch, rows);
    for (const CStoredObject& row : rows) TestRow(row, progress);
  }
  return true;
}

void CSearchRun::TestRow(const CStoredObject& row, CSMDlg& progress) {
  CObjInfo info(row.m_objType, row.m_recordId, row.m_name);
  info.m_creationTime = row.m_creationTime;
  info.m_tableNumber = row.m_tableNumber;
  info.m_tableText = row.m_tableText;
  info.m_strAuthor = row.m_author;
  TestObject(info, progress);
}

// The records of `list` whose names are among `names`, in list order. The
// names normally come in list order too, and are then matched in one walk;
// otherwise by a set of the names.
std::vector<CObjInfo*> CSearchRun::RecordsNamed(const CObjInfoList& list,
                                                const std::vector<std::string>& names) {
  std::vector<CObjInfo*> records;
  records.reserve(names.size());
  std::size_t next = 0;
  for (const auto& record : list) {
    if (next < names.size() && record->m_name == names[next]) {
      records.push_back(record.get());
      ++next;
    }
  }
  if (next == names.size()) return records;
  records.clear();
  const std::unordered_set<std::string> wanted(names.begin(), names.end());
  for (const auto& record : list) {
    if (wanted.count(record->m_name) != 0) records.push_back(record.get());
  }
  return records;
}

int CSearchRun::Passes(CObjInfo* info) {
  CDataSlot slot;
  int pass = 0;
  for (CSearchFilter* filter : m_filters) {
    if (filter == nullptr || filter->IsActive() == 0) continue;
    if (filter->Match(info, &slot.m_pData, m_dbId) == 0) return 0;
    pass = 1;
  }
  return pass;
}

void CSearchRun::StoreResults(int sbTable, const std::string& typeName) {
  const std::string count = std::to_string(m_results.size());
  std::string name = "Search Results";
  if (ChooseDbSubbaseName(m_objType, m_dbId, name, 7, "Add New " + typeName + " Subbase",
                          nullptr) == 0 ||
      name.empty()) {
    m_outcome = kNotNamed;
    return;
  }
  name = CutSubbaseName(name);
  if (replace_subbase(sbTable, name, m_results, nullptr, m_dbId) == 0) {
    m_outcome = kNotStored;  // the host has said why
    return;
  }
  m_resultSubbase = name;
  m_outcome = kStored;
  OnSubbaseFilled(name);
  Inform(count + " " + typeName + " Found And Entered Into '" + name + "' Subbase");
}

}  // namespace blastsearch
