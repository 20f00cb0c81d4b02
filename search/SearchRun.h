#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "host/db/DBTableBase.h"
#include "host/db/ObjInfo.h"
#include "platform/Export.h"
#include "search/SearchFilter.h"

namespace blastsearch BLASTSEARCH_EXPORT {

class CSMDlg;
struct CStoredObject;

// The table search behind "Start Search": tests every object of a subbase
// against the active filters and writes the objects that pass all of them
// into a subbase whose name the person chooses. Shared by the search dialog
// and the command line, which derive from it or fill it and call
// OnStartSearch. Talks to the person only through the user-interaction
// service (information messages, the progress window, the name prompt).
// Owns nothing of its filters.
class CSearchRun {
 public:
  // How the last OnStartSearch ended.
  enum EOutcome : int {
    kNotRun,        // no search yet
    kAllObjects,    // no active filter: "Search Result: All ..."
    kNoTables,      // the object type has no object or subbase table
    kEmptySubbase,  // nothing to search in the subbase
    kNoObjectList,  // the table's object list could not be had
    kNothingFound,  // no object passed
    kNotNamed,      // the name prompt was cancelled or answered empty
    kNotStored,     // the subbase could not be written (the host said why)
    kStored,        // the results are in m_resultSubbase
  };

  // A search of objects of `objType` in database `dbId`, without filters.
  CSearchRun(int objType, int dbId);
  CSearchRun(const CSearchRun&) = delete;
  CSearchRun& operator=(const CSearchRun&) = delete;
  virtual ~CSearchRun();

  // Appends `filter` (not owned; must outlive the run) to the filters tried,
  // in order.
  void AddFilter(CSearchFilter* filter);
  // 1 when a filter answers IsActive with non-zero, else 0.
  int HasActiveFilter() const;
  // Runs one search: UpdateFilters, then tests, asks for the name, stores
  // and reports. Sets m_outcome and m_results; on success m_resultSubbase.
  // Throws nothing.
  void OnStartSearch();

  int m_objType;
  int m_dbId;
  std::string m_lookInSubbase = kMainSubbase;  // where to search; "" or "MAIN": all
  std::string m_resultSubbase;                 // the last subbase filled, "" before
  std::vector<CSearchFilter*> m_filters;       // tried in this order
  std::vector<std::string> m_results;          // names that passed the last search
  // The list records of m_results, in the same order (copies, owned here).
  std::vector<CObjInfo> m_resultInfos;
  // How many objects the last search tested (for measurements and tests).
  std::size_t m_nTested = 0;
  // The storage's indexes narrow the objects tested (false: every object of
  // the subbase is tested, as measurements and tests compare).
  bool m_bNarrow = true;
  EOutcome m_outcome = kNotRun;

 protected:
  // Brings the filters up to date before a search (the dialog copies its
  // pages into them); the base does nothing.
  virtual void UpdateFilters();
  // Called after a search filled the subbase `name` (the dialog refills its
  // look-in box and turns Close into OK); the base does nothing.
  virtual void OnSubbaseFilled(const std::string& name);

 private:
  void Search();
  std::string SubbaseToSearch() const;
  // The search through the storage's indexes: only the candidates they
  // name are read and tested, in identifier order (the list's order). False
  // when no active filter can narrow the search or the storage cannot now:
  // then nothing is done and the whole list is walked. `empty` tells that
  // the subbase has no objects (or does not exist).
  bool SearchCandidates(int objTable, const std::string& subbase, CSMDlg& progress, bool& empty);
  // Tests one object and keeps it when it passes.
  void TestObject(CObjInfo& info, CSMDlg& progress);
  void TestRow(const CStoredObject& row, CSMDlg& progress);
  // Steps over the table's object list; false when the list is not there.
  bool CollectResults(int objTable, const std::vector<std::string>& names, CSMDlg& progress);
  static std::vector<CObjInfo*> RecordsNamed(const CObjInfoList& list,
                                             const std::vector<std::string>& names);
  // 1 when every active filter passes the object.
  int Passes(CObjInfo* info);
  void StoreResults(int sbTable, const std::string& typeName);
  // Ends a search of an empty (or absent) subbase, saying so.
  void EndWithEmptySubbase(const std::string& subbase, const std::string& typeName);
  // Ends a search: "No ... Found", or the results stored in a subbase.
  void EndWithResults(int sbTable, const std::string& typeName);
};

// Cuts a subbase name to the host's 250 characters, never inside a UTF-8
// character.
std::string CutSubbaseName(const std::string& name);

}  // namespace BLASTSEARCH_EXPORT
