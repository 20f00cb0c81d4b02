#include "app/TableOptions.h"

#include <CLI/CLI.hpp>

namespace blastsearch {

void AddTableOptions(CLI::App& command, std::string& columns, std::string& program) {
  command.add_option("--columns", columns,
                     "a table's columns as given to BLAST+'s -outfmt after the number, e.g. "
                     "\"qseqid sseqid evalue bitscore\" (default: the standard twelve)");
  command
      .add_option("--program", program,
                  "the program that wrote a table without comment lines (blastn, blastp, "
                  "blastx, tblastn, tblastx, psiblast)")
      ->check(CLI::IsMember(
          {"blastn", "megablast", "blastp", "blastx", "tblastn", "tblastx", "psiblast"}));
}

}  // namespace blastsearch
