#include "app/Commands.h"

#include <unistd.h>

#include <CLI/CLI.hpp>
#include <cstring>
#include <ostream>

#include "app/AnnotateCommands.h"
#include "app/BlastCommand.h"
#include "app/CommandContext.h"
#include "app/DatabaseCommands.h"
#include "app/ParseCommand.h"
#include "app/RegisterCommand.h"
#include "app/SearchCommand.h"
#include "app/TableOptions.h"
#include "platform/DescriptorOutput.h"

namespace blastsearch {

namespace {

constexpr const char* kDescription =
    "blastsearch reads BLAST reports saved from NCBI (QBlast result pages, classic web\n"
    "BLAST pages, plain-text reports) into a result tree of query, hits and aligned\n"
    "segment pairs, and writes results as transfer files that other programs of the\n"
    "suite read. It keeps results in a database: import, list, show, export, archive.";

void AddParseCommand(CLI::App& app, ParseOptions& options) {
  CLI::App* parse = app.add_subcommand(
      "parse",
      "Read a BLAST report (one result per query) or a transfer file and show the results.\n"
      "Exit status: 0 read, 1 nothing recognisable, a layout without reader, a reader failed,\n"
      "a result cut off, or the result could not be written or saved, 2 usage error or a file\n"
      "that cannot be opened or created, 130 interrupted by Ctrl-C (what was read is shown).");
  parse
      ->add_option("FILE", options.strFile,
                   "report page or transfer file to read; - for standard input")
      ->required();
  parse
      ->add_option("--reader", options.strReader,
                   "auto (recognise the layout), or the reader of one layout: qblast (plain-text "
                   "report body), classic (HTML report with anchored hits), blast+text, "
                   "blast+html, xml, xml2, json, tabular, tabular7 (commented tabular) or csv; a "
                   "named reader also reads a page whose layout is not recognised")
      ->check(CLI::IsMember(ReaderNames()))
      ->capture_default_str();
  auto* query = parse->add_option("--query", options.nQuery,
                                  "only the results of query N (from 1) of a report of several");
  query->check(CLI::Range(1, 1'000'000'000));
  parse
      ->add_option("--query-name", options.strQueryName,
                   "only the first query whose name or identifier is TEXT (or whose name "
                   "begins with TEXT and a blank)")
      ->excludes(query);
  parse->add_flag("--every-round", options.bEveryRound,
                  "PSI-BLAST: every round as a result of its own, not only the last");
  AddTableOptions(*parse, options.strColumns, options.strProgram);
  auto* json = parse->add_flag("--json", options.bJson,
                               "write each result as one JSON document on a line of its own");
  parse
      ->add_flag("--summary", options.bSummary,
                 "write one line a result: hits, elements, query length")
      ->excludes(json);
  auto* save = parse
                   ->add_option("--save", options.strSave,
                                "also write the result as a transfer file (written beside it "
                                "first and then put in its place; never over FILE)")
                   ->check(CLI::Validator(
                       [](std::string& name) {
                         return name.empty() ? std::string("a file name is needed") : std::string();
                       },
                       "FILE", "non-empty"));
  parse
      ->add_flag("--save-partial", options.bSavePartial,
                 "save the result of a reading cut short by Ctrl-C as well")
      ->needs(save);
  parse
      ->add_option("--max-input", options.nMaxInput,
                   "read at most SIZE bytes from standard input, a pipe or a device, or beyond a "
                   "file's length at opening (units k, m, g: 1024-based; default 1g)")
      ->transform(CLI::AsSizeValue(false));
}

// Checks that everything written to `out` got out; a failure is reported on
// `err` and turns `status` into a failure.
int CheckOutput(std::ostream& out, std::ostream& err, int status) {
  if (out.flush()) return status;
  const auto* descriptor = dynamic_cast<const CDescriptorOutput*>(out.rdbuf());
  const int error = descriptor != nullptr ? descriptor->GetError() : 0;
  err << "blastsearch: standard output: write failed";
  if (error != 0) err << ": " << std::strerror(error);
  err << '\n';
  return status == kExitOk ? kExitFailed : status;
}

}  // namespace

int RunBlastSearch(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
  CLI::App app{kDescription, "blastsearch"};
  app.set_version_flag("--version", std::string("blastsearch ") + BLASTSEARCH_VERSION);
  app.require_subcommand(0, 1);
  ParseOptions parseOptions;
  AddParseCommand(app, parseOptions);
  CCommandContext context{out, err, "", nullptr};
  AddDatabaseCommands(app, context);
  AddSearchCommand(app, context);
  AddAnnotateCommands(app, context);
  AddRegisterCommand(app, context);
  AddBlastCommand(app, context);

  std::vector<std::string> reversed(args.rbegin(), args.rend());
  try {
    app.parse(reversed);
  } catch (const CLI::CallForHelp&) {
    // The help of the innermost command named.
    const CLI::App* asked = &app;
    while (!asked->get_subcommands().empty()) asked = asked->get_subcommands().front();
    out << asked->help();
    return CheckOutput(out, err, kExitOk);
  } catch (const CLI::CallForVersion& e) {
    out << e.what() << '\n';
    return CheckOutput(out, err, kExitOk);
  } catch (const CLI::ParseError& e) {
    err << "blastsearch: " << e.what() << "\nRun 'blastsearch --help' for the commands.\n";
    return kExitUsage;
  }
  if (app.got_subcommand("parse")) {
    parseOptions.bProgress = ::isatty(STDERR_FILENO) != 0;
    return CheckOutput(out, err, RunParse(parseOptions, out, err));
  }
  if (context.m_run) {
    try {
      return CheckOutput(out, err, context.m_run());
    } catch (const std::exception& e) {
      err << "blastsearch: " << e.what() << '\n';
      return kExitFailed;
    }
  }
  out << app.help();
  return CheckOutput(out, err, kExitOk);
}

}  // namespace blastsearch
