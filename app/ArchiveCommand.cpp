#include "app/ArchiveCommand.h"

#include <CLI/CLI.hpp>
#include <memory>

#include "host/OrvFileSpec.h"
#include "host/db/DBFunctions.h"
#include "table/BlastSearchTable.h"

namespace blastsearch {

namespace {

bool Export(const CArchiveOptions& options, CCommandMessages& messages) {
  CBlastSearchTable& table = blastSearch();
  std::vector<CObjInfo*> subset;
  if (!GetObjSubset(table.objtable(), options.m_strSubbase, 1, subset)) {
    messages.Fail("no subbase named \"" + options.m_strSubbase + "\"");
    return false;
  }
  const COrvFileSpec spec(options.m_strFile, table.arcftype());
  if (table.WriteObjectsToArchive({}, spec, options.m_strSubbase, 1, nullptr, 0) == 0) {
    if (!messages.Failed()) messages.Fail(options.m_strFile + ": the archive was not written");
    return false;
  }
  messages.Inform(options.m_strFile + ": " + std::to_string(subset.size()) + " " +
                  table.DescribeObjType(subset.size() != 1 ? 1 : 0, 0) + " written");
  return true;
}

bool Import(const CArchiveOptions& options, CCommandMessages& messages) {
  CBlastSearchTable& table = blastSearch();
  // Counted from this run's own stores: other processes may store at once.
  const int before = table.m_objChanges;
  const COrvFileSpec spec(options.m_strFile, table.arcftype());
  if (table.ReadObjectsFromArchive(spec, options.m_strSubbase, 1, nullptr, 0) == 0) {
    if (!messages.Failed()) messages.Fail(options.m_strFile + ": nothing was stored");
    return false;
  }
  const auto stored = static_cast<std::size_t>(table.m_objChanges - before);
  messages.Inform(options.m_strFile + ": " + std::to_string(stored) + " " +
                  table.DescribeObjType(stored != 1 ? 1 : 0, 0) + " stored");
  return true;
}

}  // namespace

void AddArchiveCommands(CLI::App& app, CCommandContext& context) {
  CLI::App* group =
      AddCommandGroup(app, "archive", "Archive files of stored results (.ba6): export, import.");
  for (bool exporting : {true, false}) {
    auto options = std::make_shared<CArchiveOptions>();
    options->m_bExport = exporting;
    CLI::App* command =
        exporting
            ? group->add_subcommand("export", "Write the results of a subbase to an archive file.")
            : group->add_subcommand(
                  "import",
                  "Store every result of an archive file, or nothing when it is damaged.");
    command->add_option("FILE", options->m_strFile, "the archive file")->required();
    command
        ->add_option("--subbase", options->m_strSubbase,
                     exporting ? "the subbase to write; MAIN: every result"
                               : "the subbase the stored results join")
        ->capture_default_str();
    command->fallthrough();
    command->callback([options, &context] {
      context.m_run = [options, &context] { return RunArchive(*options, context); };
    });
  }
}

int RunArchive(const CArchiveOptions& options, CCommandContext& context) {
  return WithDatabase(context, [&](CCommandMessages& messages) {
    return options.m_bExport ? Export(options, messages) : Import(options, messages);
  });
}

}  // namespace blastsearch
