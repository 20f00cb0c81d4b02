#include "app/Commands.h"

#include <CLI/CLI.hpp>

#include <ostream>

int RunBlastSearch(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
  CLI::App app{
      "blastsearch reads BLAST reports saved from NCBI (QBlast result pages, classic web\n"
      "BLAST pages, plain-text reports) into a result tree of query, hits and aligned\n"
      "segment pairs.",
      "blastsearch"};
  app.set_version_flag("--version", std::string("blastsearch ") + BLASTSEARCH_VERSION);
  app.require_subcommand(0, 1);

  std::vector<std::string> reversed(args.rbegin(), args.rend());
  try {
    app.parse(reversed);
  } catch (const CLI::CallForHelp& e) {
    out << app.help();
    return kExitOk;
  } catch (const CLI::CallForVersion& e) {
    out << e.what() << '\n';
    return kExitOk;
  } catch (const CLI::ParseError& e) {
    err << "blastsearch: " << e.what() << "\nRun 'blastsearch --help' for the commands.\n";
    return kExitUsage;
  }
  if (app.get_subcommands().empty()) {
    out << app.help();
    return kExitOk;
  }
  return kExitOk;
}
