#pragma once

#include <string>
#include <vector>

#include "app/CommandContext.h"

namespace CLI {
class App;
}

namespace blastsearch {

// What `rm`, `rename` and `duplicate` were asked to do.
struct CObjectOptions {
  std::vector<std::string> m_objects;  // names or UIDs of stored results
  std::string m_strObject;             // rename: the result (name or UID)
  std::string m_strNewName;            // rename: the new name
  std::string m_strSubbase = "MAIN";   // duplicate: the subbase the copy joins
};

// Adds `rm`, `rename` and `duplicate` to `app`; choosing one sets
// context.m_run.
void AddObjectCommands(CLI::App& app, CCommandContext& context);

// Deletes the stored results (each in its own transaction, with its subbase
// entries and comment file), one line per result. 0 when all were deleted,
// else 1.
int RunRemove(const CObjectOptions& options, CCommandContext& context);
// Renames one stored result. 0; 1 when it is missing or the name is empty or
// taken.
int RunRename(const CObjectOptions& options, CCommandContext& context);
// Stores a copy of each result under a new unique name in the subbase, one
// line naming each copy. 0 when all were copied, else 1.
int RunDuplicate(const CObjectOptions& options, CCommandContext& context);

}  // namespace blastsearch
