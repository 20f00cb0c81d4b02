#include "app/SubbaseCommand.h"

#include <CLI/CLI.hpp>
#include <memory>
#include <ostream>

#include "host/db/DBFunctions.h"
#include "host/db/ObjInfo.h"
#include "output/PrintableText.h"
#include "table/BlastSearchTable.h"

namespace blastsearch {

namespace {

// "1 result", "2 results".
std::string Results(std::size_t count) {
  return std::to_string(count) + (count == 1 ? " result" : " results");
}

struct CAction {
  const char* m_pName;
  const char* m_pHelp;
  bool m_bName;     // takes the subbase's name
  bool m_bNewName;  // takes a new name after it
  bool m_bObjects;  // takes results after it
};

constexpr CAction kActions[] = {
    {"list", "List the subbases with their numbers of results.", false, false, false},
    {"new", "Make a subbase, optionally holding the results given.", true, false, true},
    {"rename", "Rename a subbase.", true, true, false},
    {"dismiss", "Remove a subbase; its results stay in the database.", true, false, false},
    {"clear", "Empty a subbase; its results stay in the database.", true, false, false},
    {"delete-contents", "Delete the results of a subbase from the database.", true, false, false},
    {"add", "Put results into a subbase.", true, false, true},
    {"remove", "Take results out of a subbase; they stay in the database.", true, false, true},
};

// The UIDs of the results given by name or UID; false when one is missing.
bool IdsOf(const std::vector<std::string>& wanted, std::vector<unsigned long>& ids,
           CCommandMessages& messages) {
  for (const std::string& item : wanted) {
    const CObjInfo* info = FindStoredObject(item, messages);
    if (info == nullptr) return false;
    ids.push_back(info->m_objId);
  }
  return true;
}

// Refuses to delete every result through the subbase standing for the whole
// table unless --yes says it is meant.
bool MayDeleteContents(const CSubbaseOptions& options, CCommandMessages& messages) {
  if (options.m_strName.empty()) {
    messages.Fail("a subbase name can't be empty");
    return false;
  }
  if (!IsMainSubbase(options.m_strName) || options.m_bYes) return true;
  messages.Fail("\"" + options.m_strName +
                "\" stands for the whole database: deleting its contents deletes every "
                "stored result; add --yes if that is meant");
  return false;
}

void ListSubbases(std::ostream& out) {
  CBlastSearchTable& table = blastSearch();
  for (const auto& subbase : table.getsblist(1)) {
    std::vector<std::string> names;
    table.SubbaseObjectNames(1, subbase->m_name, names);
    out << PrintableText(subbase->m_name) << '\t' << names.size() << '\n';
  }
}

// A name given to a subbase as typed: refused with a message when longer
// than a subbase name may be (it is not cut short unseen) or not UTF-8 text.
bool IsNewSubbaseName(const std::string& name, CCommandMessages& messages) {
  if (name.size() > kMaxSubbaseName) {
    messages.Fail("the subbase name \"" + ShownText(name) + "\" is longer than " +
                  std::to_string(kMaxSubbaseName) + " bytes");
    return false;
  }
  if (!IsUtf8Text(name)) {
    messages.Fail("the subbase name \"" + ShownText(name) + "\" is not UTF-8 text");
    return false;
  }
  return true;
}

// Runs the change `action` asks for; true when the table made it.
bool Change(const CSubbaseOptions& options, CCommandMessages& messages) {
  CBlastSearchTable& table = blastSearch();
  const std::string& action = options.m_strAction;
  const std::string& name = options.m_strName;
  if (action == "new" && !IsNewSubbaseName(name, messages)) return false;
  if (action == "rename" && !IsNewSubbaseName(options.m_strNewName, messages)) return false;
  std::vector<unsigned long> objects;
  if (!IdsOf(options.m_objects, objects, messages)) return false;
  std::string done;
  if (action == "new") {
    if (table.NewSubbaseOfIds(1, name, objects, options.m_bReplace ? 1 : 0) == 0) return false;
    done = "has been made holding " + Results(objects.size());
  } else if (action == "rename") {
    if (table.RenameSubbase(1, name, options.m_strNewName) == 0) return false;
    done = "is now \"" + options.m_strNewName + "\"";
  } else if (action == "dismiss") {
    if (table.DismissSubbase(1, name) == 0) return false;
    done = "has been dismissed";
  } else if (action == "clear") {
    if (table.ClearSubbase(1, name) == 0) return false;
    done = "has been emptied";
  } else if (action == "delete-contents") {
    if (!MayDeleteContents(options, messages) || table.DeleteSubbaseContents(1, name) == 0) {
      return false;
    }
    done = "has had its results deleted";
  } else if (action == "add") {
    if (table.IncludeIdsInSubbase(1, name, objects) == 0) return false;
    done = "has been given " + Results(objects.size());
  } else {
    if (table.ExcludeIdsFromSubbase(1, name, objects) == 0) return false;
    done = "no longer holds the results given";
  }
  messages.Inform("The subbase \"" + name + "\" " + done);
  return true;
}

}  // namespace

void AddSubbaseCommands(CLI::App& app, CCommandContext& context) {
  CLI::App* group = AddCommandGroup(app, "subbase", "Named selections of the stored results.");
  for (const CAction& action : kActions) {
    auto options = std::make_shared<CSubbaseOptions>();
    options->m_strAction = action.m_pName;
    CLI::App* command = group->add_subcommand(action.m_pName, action.m_pHelp);
    if (action.m_bName) command->add_option("NAME", options->m_strName, "the subbase")->required();
    if (action.m_bNewName) {
      command->add_option("NEWNAME", options->m_strNewName, "its new name")->required();
    }
    if (action.m_bObjects) {
      command->add_option("RESULT", options->m_objects, "names or UIDs of stored results");
    }
    if (std::string(action.m_pName) == "new") {
      command->add_flag("--replace", options->m_bReplace, "refill a subbase that exists");
    }
    if (std::string(action.m_pName) == "delete-contents") {
      command->add_flag("--yes", options->m_bYes,
                        "needed to delete every result through MAIN, the whole database");
    }
    command->fallthrough();
    command->callback([options, &context] {
      context.m_run = [options, &context] { return RunSubbase(*options, context); };
    });
  }
}

int RunSubbase(const CSubbaseOptions& options, CCommandContext& context) {
  return WithDatabase(context, [&](CCommandMessages& messages) {
    if (options.m_strAction != "list") return Change(options, messages);
    ListSubbases(context.m_out);
    return true;
  });
}

}  // namespace blastsearch
