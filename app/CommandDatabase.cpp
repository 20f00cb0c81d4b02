#include "app/CommandDatabase.h"

#include <cstdlib>
#include <ctime>
#include <nlohmann/json.hpp>
#include <ostream>

#include "host/db/DBEngine.h"
#include "host/db/DBFunctions.h"
#include "host/db/ObjInfo.h"
#include "table/BlastSearchTable.h"

std::string ChooseDatabaseDir(const std::string& option) {
  if (!option.empty()) return option;
  if (const char* db = std::getenv("BLASTSEARCH_DB"); db != nullptr && *db != '\0') return db;
  if (const char* data = std::getenv("XDG_DATA_HOME"); data != nullptr && *data != '\0') {
    return std::string(data) + "/blastsearch";
  }
  const char* home = std::getenv("HOME");
  return std::string(home != nullptr ? home : ".") + "/.local/share/blastsearch";
}

CCommandDatabase::~CCommandDatabase() {
  if (m_bOpen) engine().CloseDatabase(1);
}

bool CCommandDatabase::Open(const std::string& dir, std::ostream& err) {
  try {
    engine().OpenDatabase(dir, 1);
  } catch (const std::exception& e) {
    err << "blastsearch: cannot open the database in " << dir << ": " << e.what() << '\n';
    return false;
  }
  m_bOpen = true;
  return true;
}

CObjInfo* FindObjectByRef(const std::string& ref) {
  if (CObjInfo* info = FindObject(blastSearch().tableobjtype(), 1, ref); info != nullptr) {
    return info;
  }
  if (ref.empty() || ref.size() > 18 || ref.find_first_not_of("0123456789") != std::string::npos) {
    return nullptr;
  }
  return blastSearch().getobjlist(1).FindById(std::stoul(ref));
}

namespace {

std::string IsoTime(long seconds) {
  std::time_t t = static_cast<std::time_t>(seconds);
  std::tm parts{};
  if (gmtime_r(&t, &parts) == nullptr) return "";
  char text[32];
  std::strftime(text, sizeof text, "%Y-%m-%dT%H:%M:%SZ", &parts);
  return text;
}

}  // namespace

void WriteObjectListJson(const std::vector<const CObjInfo*>& objects, std::ostream& out) {
  nlohmann::ordered_json list = nlohmann::ordered_json::array();
  for (const CObjInfo* info : objects) {
    list.push_back({{"uid", info->m_objId},
                    {"name", info->m_name},
                    {"hits", info->m_tableNumber},
                    {"query_name", info->m_tableText},
                    {"created", IsoTime(info->m_creationTime)}});
  }
  out << list.dump(-1, ' ', false, nlohmann::json::error_handler_t::replace) << '\n';
}

void WriteObjectListText(const std::vector<const CObjInfo*>& objects, std::ostream& out) {
  for (const CObjInfo* info : objects) {
    out << info->m_objId << '\t' << info->m_name << '\t' << info->m_tableNumber << '\t'
        << info->m_tableText << '\n';
  }
}
