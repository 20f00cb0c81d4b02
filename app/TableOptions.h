#pragma once

#include <string>

namespace CLI {
class App;
}

namespace blastsearch {

// Adds --columns and --program to `command`: what a tabular report without
// comment lines (BLAST+'s -outfmt 6 or 10) cannot say of itself, its column
// list as given to -outfmt ("qseqid sseqid pident ...") and the program that
// wrote it (which decides molecule types and what frames mean). The strings
// must outlive the command's parsing.
void AddTableOptions(CLI::App& command, std::string& columns, std::string& program);

}  // namespace blastsearch
