#pragma once

#include <string>
#include <vector>

#include "app/CommandContext.h"

namespace CLI {
class App;
}

namespace blastsearch {

// What `blastsearch import` was asked to do.
struct CImportOptions {
  std::vector<std::string> m_files;   // reports and transfer files, in order
  std::string m_strSubbase = "MAIN";  // the subbase the new results join
  bool m_bProgress = false;           // show a progress bar on standard error
  bool m_bEveryRound = false;         // PSI-BLAST: store every round
  std::string m_strColumns;           // a table's columns as given to BLAST+'s -outfmt
  std::string m_strProgram;           // the program that wrote a table without comment lines
  bool m_bAllowDuplicates = false;    // store results that are stored already
  bool m_bSyncAtEnd = false;          // sync the commits to the disk once, at the end
};

// Adds `import` to `app`; choosing it sets context.m_run to RunImport.
void AddImportCommand(CLI::App& app, CCommandContext& context);

// Stores every result of every file of `options`, one object per query (or
// PSI-BLAST round), each as soon as it is read, with one line per file: the
// stored names, or why the file (or its rest) was not stored. Files that
// hold no report that is read are refused before anything of them is
// stored; results stored already are skipped unless asked. Ctrl-C stops
// after the result being stored, keeping what was stored. Returns 0 when
// every file was read to its end, 130 when stopped, else 1. Never throws.
int RunImport(const CImportOptions& options, CCommandContext& context);

}  // namespace blastsearch
