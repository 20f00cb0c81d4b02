#include "app/CheckCommand.h"

#include <CLI/CLI.hpp>
#include <memory>

#include "host/OrvFileSpec.h"
#include "host/db/DBEngine.h"
#include "host/db/DBObjectBase.h"
#include "host/db/ObjInfo.h"
#include "table/BlastSearchTable.h"

namespace blastsearch {

namespace {

// Reads every stored record back; a line for each that cannot be read.
std::size_t CheckRecords(CBlastSearchTable& table, CCommandMessages& messages) {
  std::size_t damaged = 0;
  for (const auto& info : table.getobjlist(1)) {
    std::unique_ptr<CDBObjectBase> object(table.GetObjectData(info->m_objId, nullptr, 1));
    if (object != nullptr) continue;
    ++damaged;
    messages.Fail("the record of \"" + info->m_name + "\" (UID " + std::to_string(info->m_objId) +
                  ") is missing or damaged");
  }
  return damaged;
}

// Every subbase member is a stored result; a line for each that is not.
std::size_t CheckSubbases(CBlastSearchTable& table, CCommandMessages& messages) {
  CDBStorage* storage = engine().Storage(1);
  std::size_t wrong = 0;
  for (const auto& subbase : table.getsblist(1)) {
    for (unsigned long member : storage->SubbaseMembers(table.objtable(), subbase->m_objId)) {
      if (table.getobjlist(1).FindById(member) != nullptr) continue;
      ++wrong;
      messages.Fail("the subbase \"" + subbase->m_name + "\" holds UID " + std::to_string(member) +
                    ", which is not stored");
    }
  }
  return wrong;
}

}  // namespace

void AddCheckCommand(CLI::App& app, CCommandContext& context) {
  CLI::App* command = app.add_subcommand(
      "check", "Check the database: its integrity, every stored record, and the subbases.");
  command->fallthrough();
  command->callback([&context] { context.m_run = [&context] { return RunCheck(context); }; });
}

int RunCheck(CCommandContext& context) {
  return WithDatabase(context, [](CCommandMessages& messages) {
    CBlastSearchTable& table = blastSearch();
    bool sound = table.CheckTable(COrvDirSpec(engine().DatabaseDir(1)), 1) != 0;
    try {
      sound = CheckRecords(table, messages) == 0 && sound;
      sound = CheckSubbases(table, messages) == 0 && sound;
    } catch (const std::exception& e) {
      messages.Fail(e.what());
      sound = false;
    }
    if (sound && !messages.Failed()) {
      const std::size_t count = table.getobjlist(1).GetCount();
      messages.Inform("The database is sound: " + std::to_string(count) +
                      (count == 1 ? " result" : " results") + " checked");
    }
    return sound;
  });
}

}  // namespace blastsearch
