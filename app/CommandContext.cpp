#include "app/CommandContext.h"

#include "host/db/DBEngine.h"
#include "platform/Exception.h"

CCommandDatabase::~CCommandDatabase() {
  if (m_bOpen) engine().CloseDatabase(1);
}

bool CCommandDatabase::Open(const std::string& asked, CCommandMessages& messages) {
  const std::string dir = DatabaseDirectory(asked);
  if (dir.empty()) {
    messages.Fail("no database folder: give --db DIR or set BLASTSEARCH_DB (HOME is not set)");
    return false;
  }
  try {
    engine().OpenDatabase(dir, 1);
  } catch (const CException& e) {
    messages.Fail(e.what());
    return false;
  }
  m_bOpen = true;
  return true;
}
