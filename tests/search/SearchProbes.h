#pragma once

// Test stand-ins that watch the search: a filter that records which objects
// it was asked about, and a table that counts object loads and can refuse
// its object list. The table takes the BLAST search table's place in the
// engine for its lifetime.

#include <functional>
#include <map>
#include <string>
#include <vector>

#include "host/db/DBEngine.h"
#include "host/db/ObjInfo.h"
#include "search/SearchFilter.h"
#include "table/BlastSearchTable.h"

namespace blastsearch {

class CProbeFilter : public CSearchFilter {
 public:
  explicit CProbeFilter(std::function<bool(const CObjInfo&)> pick, int active = 1)
      : m_pick(std::move(pick)), m_nActive(active) {}
  int IsActive() const override { return m_nActive; }
  int Match(CObjInfo* info, CDBObjectBase**, int) override {
    m_asked.push_back(info->m_name);
    return m_pick(*info) ? 1 : 0;
  }
  std::function<bool(const CObjInfo&)> m_pick;
  int m_nActive;
  std::vector<std::string> m_asked;
};

class CProbeTable : public CBlastSearchTable {
 public:
  ~CProbeTable() override { engine().RegisterTable(201, &blastSearch()); }
  CDBObjectBase* GetObjectData(unsigned long recordId, const char* name, int dbId) override {
    ++m_loads[name];
    return CBlastSearchTable::GetObjectData(recordId, name, dbId);
  }
  CDBObjectBase* ReadObject(COrvTextFile& file, int a, int b) override {
    ++m_nRecordsRead;
    return CBlastSearchTable::ReadObject(file, a, b);
  }
  int get_table_pars(int tableId, COrvFileSpec* spec, CObject** list, int* count,
                     int dbId) override {
    if (m_bRefuseList) return 0;
    return CBlastSearchTable::get_table_pars(tableId, spec, list, count, dbId);
  }
  std::map<std::string, int> m_loads;
  int m_nRecordsRead = 0;
  bool m_bRefuseList = false;
};

}  // namespace blastsearch
