#include "app/ShowCommand.h"

#include <CLI/CLI.hpp>
#include <memory>
#include <ostream>

#include "app/EntryJson.h"
#include "app/EntryReport.h"
#include "app/ExportFormats.h"
#include "app/OutputFile.h"
#include "host/db/ObjInfo.h"
#include "model/TransferFile.h"
#include "platform/File.h"
#include "table/BlastSearchTable.h"

namespace {

// The stored result `nameOrUid`, read from its record; null with a failure
// line naming it when it is missing or its record cannot be read.
std::unique_ptr<CBlastSearchObject> ReadStoredObject(const std::string& nameOrUid,
                                                     CCommandMessages& messages) {
  CObjInfo* info = FindStoredObject(nameOrUid, messages);
  if (info == nullptr) return nullptr;
  std::unique_ptr<CDBObjectBase> object(
      blastSearch().GetObjectData(info->m_objId, info->m_name.c_str(), 1));
  auto* result = dynamic_cast<CBlastSearchObject*>(object.get());
  if (result == nullptr) {
    messages.Fail("the stored result \"" + info->m_name + "\" (UID " +
                  std::to_string(info->m_objId) + ") is damaged and cannot be read");
    return nullptr;
  }
  object.release();
  return std::unique_ptr<CBlastSearchObject>(result);
}

// Writes `entry` (stored as `name`) in `format`; false with a failure line
// when it cannot be.
bool WriteExport(const std::string& format, const std::string& name, CBlastSearchEntry& entry,
                 std::ostream& out, CCommandMessages& messages) {
  if (format == "json") {
    out << EntryToJson(entry) << '\n';
  } else if (format == "tsv") {
    WriteEntryTabular(entry, out);
  } else if (format == "fasta") {
    if (!WriteEntryFasta(entry, out)) {
      messages.Fail("the result \"" + name +
                    "\" holds no aligned subject rows: nothing to write as FASTA");
      return false;
    }
  } else {
    CMemFile file;
    try {
      StoreTransferFile(entry, file);
    } catch (const std::exception& e) {
      messages.Fail(std::string("cannot make the transfer file: ") + e.what());
      return false;
    }
    out.write(file.Data().data(), static_cast<std::streamsize>(file.Data().size()));
  }
  return true;
}

}  // namespace

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

int ExportStoredResults(const CExportOptions& options, std::ostream& out, std::ostream& err) {
  CCommandMessages messages(out, err);
  COutputFile output(options.m_strOutput, out);
  if (!output.Open(messages)) return 1;
  bool ok = true;
  for (const std::string& name : options.m_objects) {
    std::unique_ptr<CBlastSearchObject> object = ReadStoredObject(name, messages);
    ok = object != nullptr &&
         WriteExport(options.m_strFormat, name, object->Entry(), output.Stream(), messages) && ok;
  }
  // A file gets nothing unless every result went into it.
  if (!ok && !options.m_strOutput.empty() && options.m_strOutput != "-") return 1;
  return CommandStatus(output.Commit(messages) && ok, messages);
}
