#include "app/ShowCommand.h"

#include <CLI/CLI.hpp>
#include <memory>
#include <ostream>

#include "app/EntryReport.h"
#include "output/EntryJson.h"
#include "table/BlastSearchTable.h"

namespace blastsearch {

void AddShowCommands(CLI::App& app, CCommandContext& context) {
  auto show = std::make_shared<CShowOptions>();
  CLI::App* command = app.add_subcommand(
      "show", "Show a stored result as `parse` shows a report: readable, --json or --summary.");
  command->add_option("NAME|UID", show->m_strObject, "name or UID of the stored result")
      ->required();
  auto* json = command->add_flag("--json", show->m_bJson, "the whole result as one JSON document");
  command->add_flag("--summary", show->m_bSummary, "one line: hits, elements, query length")
      ->excludes(json);
  command->fallthrough();
  command->callback(
      [show, &context] { context.m_run = [show, &context] { return RunShow(*show, context); }; });

  auto exported = std::make_shared<CExportOptions>();
  command = app.add_subcommand(
      "export",
      "Write stored results as JSON (one document per line), BLAST tabular (12 columns),\n"
      "FASTA of the hits' aligned subject rows, or a transfer file (one result).");
  command->add_option("NAME|UID", exported->m_objects, "names or UIDs of stored results")
      ->required();
  command->add_option("--format", exported->m_strFormat, "json, tsv, fasta or transfer")
      ->check(CLI::IsMember({"json", "tsv", "fasta", "transfer"}))
      ->capture_default_str();
  command->add_option("-o,--output", exported->m_strOutput,
                      "file to write (replaced only when all was written); default: stdout");
  command->fallthrough();
  command->callback([exported, &context] {
    if (exported->m_strFormat == "transfer" && exported->m_objects.size() != 1) {
      throw CLI::ValidationError("--format", "a transfer file holds exactly one result");
    }
    context.m_run = [exported, &context] { return RunExport(*exported, context); };
  });
}

int RunShow(const CShowOptions& options, CCommandContext& context) {
  CCommandMessages messages(context.m_out, context.m_err);
  return WithDatabase(context, messages, [&] {
    std::unique_ptr<CBlastSearchObject> object = ReadStoredObject(options.m_strObject, messages);
    if (object == nullptr) return 1;
    if (options.m_bJson) {
      context.m_out << EntryToJson(object->Entry()) << '\n';
    } else if (options.m_bSummary) {
      WriteEntrySummary(object->Entry(), context.m_out);
    } else {
      WriteEntryReport(object->Entry(), context.m_out);
    }
    return CommandStatus(FlushOutput(context.m_out, messages), messages);
  });
}

int RunExport(const CExportOptions& options, CCommandContext& context) {
  CCommandMessages messages(context.m_out, context.m_err);
  return WithDatabase(context, messages,
                      [&] { return ExportStoredResults(options, context.m_out, context.m_err); });
}

}  // namespace blastsearch
