#include "app/CommandContext.h"

#include <CLI/CLI.hpp>
#include <ostream>

#include "host/db/DBEngine.h"
#include "platform/Exception.h"

namespace blastsearch {

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

int WithDatabase(const CCommandContext& context, CCommandMessages& messages,
                 const std::function<int()>& body) {
  CCommandDatabase database;
  if (!database.Open(context.m_strDb, messages)) return 1;
  return body();
}

int WithDatabase(CCommandContext& context, const std::function<bool(CCommandMessages&)>& body) {
  CCommandMessages messages(context.m_out, context.m_err);
  return WithDatabase(context, messages, [&] {
    const bool ok = body(messages);
    return CommandStatus(FlushOutput(context.m_out, messages) && ok, messages);
  });
}

std::string ReadOnlyNote(int dbId) {
  const CDBStorage* storage = engine().Storage(dbId);
  if (storage == nullptr || !storage->IsReadOnly()) return {};
  return ": " + storage->GetPath() +
         ": the database is read-only for this role (it may only read); nothing was changed";
}

CLI::App* AddCommandGroup(CLI::App& app, const char* name, const char* description) {
  CLI::App* group = app.add_subcommand(name, description);
  group->require_subcommand(1);
  group->fallthrough();
  return group;
}

}  // namespace blastsearch
