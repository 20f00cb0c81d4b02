#include "host/db/DBFunctions.h"

#include <ctime>

#include "host/db/ObjInfo.h"

CObjInfo* FindObject(int, int, const std::string&) { return nullptr; }
int GetSaveObjIdFromTable(int, CObject*, std::string&, unsigned long&, int, int, const char*, int) {
  return 0;
}
void MakeLocal(int& localFlags, CCreatorData& creator) {
  localFlags |= 1;
  creator.LoadCreatorData();
}
long GetOrvCurrentTime() { return static_cast<long>(std::time(nullptr)); }
int fill_in_names(int, std::vector<std::string>&, CListBox*, CComboBox*, const std::string&, int,
                  int) {
  return 0;
}
int replace_subbase(int, const std::string&, const std::vector<std::string>&, CListBox*, int) {
  return 0;
}
bool GetObjSubset(int, const std::string&, int, std::vector<CObjInfo*>&) { return false; }
int check_string_value(const std::string&) { return 0; }
