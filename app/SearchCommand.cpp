#include "app/SearchCommand.h"

#include <unistd.h>

#include <CLI/CLI.hpp>
#include <algorithm>
#include <memory>
#include <ostream>

#include "app/CommandContext.h"
#include "app/Commands.h"
#include "app/ListCommand.h"
#include "host/db/DBEngine.h"
#include "host/db/ObjInfo.h"
#include "search/SearchFilters.h"
#include "search/SearchRun.h"
#include "search/SearchSubstrings.h"
#include "search/TableSearch.h"
#include "table/BlastSearchTable.h"

namespace blastsearch {

namespace {

// The command's messages (CCommandMessages) with the subbase-name prompt
// answered by --into, asked on the terminal, or cancelled; progress shows as
// the service underneath shows it.
class CSearchMessages : public CCommandMessages {
 public:
  CSearchMessages(std::ostream& info, std::ostream& err, const SearchOptions& options)
      : CCommandMessages(info, err), m_options(options) {}

  int EditText(const std::string& prompt, std::string& text) override {
    if (m_options.bIntoGiven) {
      text = m_options.strInto;
      return IDOK;
    }
    return m_options.bMayAsk ? Previous().EditText(prompt, text) : IDCANCEL;
  }
  std::unique_ptr<CProgressDisplay> OpenProgress() override { return Previous().OpenProgress(); }

 private:
  const SearchOptions& m_options;
};

// The built-in fields the text search offers, in the text page's order.
struct CBuiltInField {
  const char* m_pszOption;
  int m_nCode;
};
constexpr CBuiltInField kBuiltInFields[] = {
    {"comment", CContextFilter::kCodeComment},
    {"author", CContextFilter::kCodeAuthor},
    {"original-author", CContextFilter::kCodeOriginalAuthor},
    {"description", CContextFilter::kCodeDescription},
};

void AddOnce(std::vector<std::string>& list, const std::string& item) {
  if (std::find(list.begin(), list.end(), item) == list.end()) list.push_back(item);
}

bool FillTextFilter(const SearchOptions& options, std::ostream& err) {
  CContextFilter& filter = TextSearchFilter();
  filter.m_bEnabled = !options.texts.empty() || !options.fields.empty() || options.bMatchCase;
  filter.m_bMatchCase = options.bMatchCase ? 1 : 0;
  filter.m_substrings.clear();
  filter.m_fieldCodes.clear();
  filter.m_udfNames.clear();
  for (const std::string& text : options.texts) {
    if (!AddSearchSubstring(filter.m_substrings, text)) {
      err << "blastsearch: the substring \"" << text
          << "\" holds a character a search cannot use ($ | \\ { } \" or a control character)\n";
      return false;
    }
  }
  std::vector<std::string> udfNames;
  if (CDBStorage* storage = engine().Storage(1); storage != nullptr) {
    for (const CUDFieldDef& def : storage->UDFieldDefs()) {
      if (def.m_objType == 0 || def.m_objType == blastSearch().tableobjtype()) {
        udfNames.push_back(def.m_strName);
      }
    }
  }
  std::vector<int> codes;
  std::vector<std::string> chosenUdf;
  for (const std::string& field : options.fields) {
    auto builtIn = std::find_if(std::begin(kBuiltInFields), std::end(kBuiltInFields),
                                [&](const CBuiltInField& f) { return field == f.m_pszOption; });
    if (builtIn != std::end(kBuiltInFields)) {
      if (std::find(codes.begin(), codes.end(), builtIn->m_nCode) == codes.end()) {
        codes.push_back(builtIn->m_nCode);
      }
    } else if (std::find(udfNames.begin(), udfNames.end(), field) != udfNames.end()) {
      AddOnce(chosenUdf, field);
    } else {
      err << "blastsearch: no field \"" << field
          << "\": use comment, author, original-author, description or a user-defined field"
             " ('blastsearch field define')\n";
      return false;
    }
  }
  // The page lists the built-in fields first, then the user-defined ones in
  // their definition order, and copies the selection in list order.
  for (const CBuiltInField& f : kBuiltInFields) {
    if (std::find(codes.begin(), codes.end(), f.m_nCode) != codes.end()) {
      filter.m_fieldCodes.push_back(std::to_string(f.m_nCode));
    }
  }
  for (const std::string& name : udfNames) {
    if (std::find(chosenUdf.begin(), chosenUdf.end(), name) != chosenUdf.end()) {
      filter.m_udfNames.push_back(name);
    }
  }
  return true;
}

bool FillKeywordFilter(const SearchOptions& options, std::ostream& err) {
  CKeywordFilter& filter = KeywordSearchFilter();
  filter.m_bEnabled = !options.keywords.empty();
  filter.m_keywords.clear();
  const std::vector<std::string> known = blastSearch().getkwlist(1);
  for (const std::string& keyword : options.keywords) {
    if (std::find(known.begin(), known.end(), keyword) == known.end()) {
      err << "blastsearch: no object has ever had the keyword \"" << keyword
          << "\" ('blastsearch keyword list' shows them)\n";
      return false;
    }
    AddOnce(filter.m_keywords, keyword);
  }
  return true;
}

void FillAttribFilter(const SearchOptions& options) {
  CAttribFilter& filter = AttribSearchFilter();
  filter.m_bEnabled = options.bNameGiven || !options.hits.empty();
  filter.m_queryName = options.strName;
  auto has = [&](const char* range) {
    return std::find(options.hits.begin(), options.hits.end(), range) != options.hits.end() ? 1 : 0;
  };
  filter.m_bUpTo10 = has("1-10");
  filter.m_b11To100 = has("11-100");
  filter.m_bOver100 = has("101-");
}

int StatusOf(CSearchRun::EOutcome outcome) {
  switch (outcome) {
    case CSearchRun::kStored:
    case CSearchRun::kNotNamed:
    case CSearchRun::kAllObjects:
      return kExitOk;
    default:
      return kExitFailed;
  }
}

// The search with the database open: finds, fills the subbase and lists.
int SearchStoredResults(const SearchOptions& options, CCommandContext& context,
                        CCommandMessages& messages) {
  std::ostream& err = context.m_err;
  if (options.bIntoGiven && options.strInto.empty()) {
    err << "blastsearch: --into needs the name of a subbase\n";
    return kExitUsage;
  }

  MakeSearchFilters();
  FillAttribFilter(options);
  if (!FillTextFilter(options, err) || !FillKeywordFilter(options, err)) return kExitUsage;

  CSearchRun run(blastSearch().tableobjtype(), 1);
  AddTableSearchFilters(run);
  run.m_lookInSubbase = options.strIn;
  run.OnStartSearch();

  // The records the search kept: the table's whole list is not read again.
  std::vector<CObjInfo*> found;
  for (CObjInfo& info : run.m_resultInfos) found.push_back(&info);
  if (!found.empty() || options.bJson) WriteObjectList(found, options.bJson, context.m_out);
  if (!FlushOutput(context.m_out, messages)) return kExitFailed;
  // A database that could not be read is never reported as empty.
  return messages.Failed() ? kExitFailed : StatusOf(run.m_outcome);
}

}  // namespace

int RunSearch(const SearchOptions& options, CCommandContext& context) {
  std::ostream& err = context.m_err;
  CSearchMessages messages(err, err, options);
  return WithDatabase(context, messages,
                      [&] { return SearchStoredResults(options, context, messages); });
}

void AddSearchCommand(CLI::App& app, CCommandContext& context) {
  auto options = std::make_shared<SearchOptions>();
  CLI::App* search = app.add_subcommand(
      "search",
      "Find stored BLAST results by text, keyword, name and hit count, and put them into a\n"
      "subbase. An object must pass every condition given. Without --into a terminal asks\n"
      "for the subbase name; otherwise the matches are only listed.\n"
      "Exit status: 0 found (or no condition), 1 nothing found or database error, 2 usage.");
  search->fallthrough();
  search->add_option("--in", options->strIn, "subbase to search (default MAIN: every object)");
  search->add_option("--text", options->texts, "substring to find in the --field fields");
  search->add_option("--field", options->fields,
                     "comment, author, original-author, description or a user-defined field");
  search->add_flag("--match-case", options->bMatchCase, "text search honours letter case");
  search->add_option("--keyword", options->keywords, "objects carrying this keyword");
  search->add_option("--name", options->strName, "substring of the object's name (case counts)");
  search->add_option("--hits", options->hits, "hit-count range: 1-10, 11-100 or 101-")
      ->check(CLI::IsMember({"1-10", "11-100", "101-"}));
  search->add_option("--into", options->strInto, "name of the subbase to fill (replaced)");
  search->add_flag("--json", options->bJson, "list the matches as JSON (as 'list --json')");
  search->callback([search, options, &context] {
    options->bNameGiven = search->count("--name") > 0;
    options->bIntoGiven = search->count("--into") > 0;
    options->bMayAsk = ::isatty(STDIN_FILENO) != 0 && ::isatty(STDERR_FILENO) != 0;
    context.m_run = [options, &context] { return RunSearch(*options, context); };
  });
}

}  // namespace blastsearch
