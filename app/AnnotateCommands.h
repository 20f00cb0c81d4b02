#pragma once

#include <iosfwd>

namespace CLI {
class App;
}

// Adds the commands that give stored objects something to search:
// `keyword add|rm|list`, `comment set|show`, `field define|set|unset` and
// `author set`. When one runs, its exit status goes to `status` (0 done, 1
// the database refused or the object does not exist, 2 usage or the
// database cannot be opened). The streams must outlive `app`.
void AddAnnotateCommands(CLI::App& app, std::ostream& out, std::ostream& err, int& status);
