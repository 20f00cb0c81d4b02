#include "table/SearchHook.h"

namespace blastsearch {

namespace {

TableSearchHandler g_handler = nullptr;

}  // namespace

TableSearchHandler SetTableSearchHandler(TableSearchHandler handler) {
  TableSearchHandler previous = g_handler;
  g_handler = handler;
  return previous;
}

int RunTableSearchHook(int dbId, const std::string& subbase, std::string& resultSubbase) {
  resultSubbase.clear();
  if (g_handler == nullptr) return 0;
  try {
    return g_handler(dbId, subbase, resultSubbase);
  } catch (...) {
    return 0;
  }
}

}  // namespace blastsearch
