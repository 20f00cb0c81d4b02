#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "platform/Export.h"

namespace blastsearch BLASTSEARCH_EXPORT {

// The BLAST+ programs that blastsearch runs, in the order menus list them:
// blastn, blastp, blastx, tblastn, tblastx, psiblast.
const std::vector<std::string>& BlastProgramNames();

// True for one of BlastProgramNames.
bool IsBlastProgram(std::string_view name);

// The first of `options` (BLAST+ command-line words) that blastsearch sets
// itself and a caller may not give: the query, the database, the output
// file and its format, remote or subject searches and search strategies.
// Empty when every option may be passed on.
std::string RefusedBlastOption(const std::vector<std::string>& options);

// The path of the BLAST+ program `program` to run: in `binDir` when it is
// given, else in a folder of PATH. Empty when it is not there or cannot be
// run.
std::string FindBlastExecutable(const std::string& program, const std::string& binDir);

// The line that says how a result was searched, kept with each result:
// "`where`: `program` -db `database` `options`..." (words that hold blanks or
// quotes are quoted).
std::string DescribeSearchRun(std::string_view where, const std::string& program,
                              const std::string& database, const std::vector<std::string>& options);

}  // namespace BLASTSEARCH_EXPORT
