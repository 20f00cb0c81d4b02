#include "app/Commands.h"

#include <unistd.h>

#include <CLI/CLI.hpp>
#include <ostream>

#include "app/AnnotateCommands.h"
#include "app/CommandContext.h"
#include "app/DatabaseCommands.h"
#include "app/ParseCommand.h"
#include "app/SearchCommand.h"

namespace {

constexpr const char* kDescription =
    "blastsearch reads BLAST reports saved from NCBI (QBlast result pages, classic web\n"
    "BLAST pages, plain-text reports) into a result tree of query, hits and aligned\n"
    "segment pairs, and writes results as transfer files that other programs of the\n"
    "suite read. It keeps results in a database: import, list, show, export, archive.";

void AddParseCommand(CLI::App& app, ParseOptions& options) {
  CLI::App* parse = app.add_subcommand(
      "parse",
      "Read a BLAST report or a transfer file and show the result.\n"
      "Exit status: 0 read, 1 nothing recognisable or a reader failed, 2 usage or open error.");
  parse->add_option("FILE", options.strFile, "report page or transfer file to read")->required();
  parse->add_option("--reader", options.strReader,
                    "auto (recognise the layout), qblast (plain-text report body) or classic "
                    "(HTML report with anchored hits)")
      ->check(CLI::IsMember({"auto", "qblast", "classic"}))
      ->capture_default_str();
  auto* json = parse->add_flag("--json", options.bJson, "write the result as one JSON document");
  parse->add_flag("--summary", options.bSummary, "write one line: hits, elements, query length")
      ->excludes(json);
  parse->add_option("--save", options.strSave, "also write the result as a transfer file");
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

  std::vector<std::string> reversed(args.rbegin(), args.rend());
  try {
    app.parse(reversed);
  } catch (const CLI::CallForHelp&) {
    // The help of the innermost command named.
    const CLI::App* asked = &app;
    while (!asked->get_subcommands().empty()) asked = asked->get_subcommands().front();
    out << asked->help();
    return kExitOk;
  } catch (const CLI::CallForVersion& e) {
    out << e.what() << '\n';
    return kExitOk;
  } catch (const CLI::ParseError& e) {
    err << "blastsearch: " << e.what() << "\nRun 'blastsearch --help' for the commands.\n";
    return kExitUsage;
  }
  if (app.got_subcommand("parse")) {
    parseOptions.bProgress = ::isatty(STDERR_FILENO) != 0;
    return RunParse(parseOptions, out, err);
  }
  if (context.m_run) {
    try {
      return context.m_run();
    } catch (const std::exception& e) {
      err << "blastsearch: " << e.what() << '\n';
      return kExitFailed;
    }
  }
  out << app.help();
  return kExitOk;
}
