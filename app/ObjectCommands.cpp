#include "app/ObjectCommands.h"

#include <CLI/CLI.hpp>
#include <memory>

#include "host/db/ObjInfo.h"
#include "output/PrintableText.h"
#include "table/BlastSearchTable.h"

namespace blastsearch {

namespace {

using Runner = int (*)(const CObjectOptions&, CCommandContext&);

// Adds a command whose positional arguments fill m_objects.
CLI::App* AddCommand(CLI::App& app, CCommandContext& context, const char* name, const char* help,
                     const char* arguments, const char* argumentHelp, Runner runner,
                     std::shared_ptr<CObjectOptions> options) {
  CLI::App* command = app.add_subcommand(name, help);
  command->add_option(arguments, options->m_objects, argumentHelp)->required();
  command->fallthrough();
  command->callback([options, runner, &context] {
    context.m_run = [options, runner, &context] { return runner(*options, context); };
  });
  return command;
}

}  // namespace

void AddObjectCommands(CLI::App& app, CCommandContext& context) {
  AddCommand(app, context, "rm", "Delete stored results.", "NAME|UID",
             "names or UIDs of the results to delete", RunRemove,
             std::make_shared<CObjectOptions>());
  auto renamed = std::make_shared<CObjectOptions>();
  CLI::App* rename = app.add_subcommand("rename", "Rename a stored result.");
  rename->add_option("NAME|UID", renamed->m_strObject, "the result to rename")->required();
  rename->add_option("NEWNAME", renamed->m_strNewName, "its new name")->required();
  rename->fallthrough();
  rename->callback([renamed, &context] {
    context.m_run = [renamed, &context] { return RunRename(*renamed, context); };
  });
  auto duplicate = std::make_shared<CObjectOptions>();
  CLI::App* command =
      AddCommand(app, context, "duplicate", "Store copies of results under new names.", "NAME|UID",
                 "names or UIDs of the results to copy", RunDuplicate, duplicate);
  command->add_option("--subbase", duplicate->m_strSubbase, "the subbase the copies join")
      ->capture_default_str();
}

int RunRemove(const CObjectOptions& options, CCommandContext& context) {
  return WithDatabase(context, [&](CCommandMessages& messages) {
    bool all = true;
    for (const std::string& wanted : options.m_objects) {
      CObjInfo* info = FindStoredObject(wanted, messages);
      if (info == nullptr) {
        all = false;
        continue;
      }
      // The result found is the one deleted, even when another process
      // renames it or gives its name to another meanwhile.
      const std::string name = info->m_name;  // the record goes with the object
      if (blastSearch().DeleteObjectById(info->m_objId, 1) == 1) {
        messages.Inform("The item \"" + name + "\" has been deleted");
      } else {
        if (!messages.Failed()) messages.Fail("the item \"" + name + "\" could not be deleted");
        all = false;
      }
    }
    return all;
  });
}

int RunRename(const CObjectOptions& options, CCommandContext& context) {
  return WithDatabase(context, [&](CCommandMessages& messages) {
    CObjInfo* info = FindStoredObject(options.m_strObject, messages);
    if (info == nullptr) return false;
    const std::string oldName = info->m_name;
    const std::string& newName = options.m_strNewName;
    if (!IsUtf8Text(newName)) {
      messages.Fail("the new name \"" + ShownText(newName) + "\" is not UTF-8 text");
      return false;
    }
    int changed = 0;
    if (blastSearch().RenameObj(1, info, newName, changed) == 0) return false;
    messages.Inform("The item \"" + oldName + "\" is now \"" + newName + "\"");
    return true;
  });
}

int RunDuplicate(const CObjectOptions& options, CCommandContext& context) {
  return WithDatabase(context, [&](CCommandMessages& messages) {
    bool all = true;
    for (const std::string& wanted : options.m_objects) {
      CObjInfo* info = FindStoredObject(wanted, messages);
      std::vector<std::string> made;
      if (info == nullptr ||
          blastSearch().DuplicateObjectInSubbase(1, options.m_strSubbase, info, made) == 0 ||
          made.empty()) {
        all = false;
        continue;
      }
      messages.Inform("The item \"" + made.back() + "\"\nhas been added to the database");
    }
    return all;
  });
}

}  // namespace blastsearch
