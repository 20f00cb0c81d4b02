#pragma once

namespace CLI {
class App;
}

namespace blastsearch {

struct CCommandContext;

// Adds the commands that give stored objects something to search:
// `keyword add|rm|list`, `comment set|show`, `field define|set|unset` and
// `author set`. Choosing one sets context.m_run; its exit status is 0 done,
// 1 the database refused, cannot be opened or the object does not exist, 2
// bad arguments.
void AddAnnotateCommands(CLI::App& app, CCommandContext& context);

}  // namespace blastsearch
