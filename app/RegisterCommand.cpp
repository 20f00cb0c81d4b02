#include "app/RegisterCommand.h"

#include <CLI/CLI.hpp>
#include <cstdio>
#include <filesystem>
#include <ostream>

#include "host/ModuleLoader.h"
#include "host/OrvShellFileTypes.h"
#include "platform/Registry.h"
#include "table/BlastSearchFileTypes.h"
#include "table/BlastSearchRegistration.h"

namespace blastsearch {

namespace {

// The window program to open files with: installed beside this program, or
// in the build tree's gui folder beside its app folder; else by name.
std::string WindowProgram() {
  std::error_code error;
  const auto self = std::filesystem::read_symlink("/proc/self/exe", error);
  if (!error) {
    for (const auto& candidate : {self.parent_path() / "blastsearch-gui",
                                  self.parent_path().parent_path() / "gui" / "blastsearch-gui"}) {
      if (std::filesystem::is_regular_file(candidate, error)) return candidate.string();
    }
  }
  return "blastsearch-gui";
}

std::string Hex(HRESULT result) {
  char text[16];
  std::snprintf(text, sizeof text, "0x%08X", static_cast<unsigned>(result));
  return text;
}

}  // namespace

void AddRegisterCommand(CLI::App& app, CCommandContext& context) {
  CLI::App* command = app.add_subcommand(
      "register",
      "Install blastsearch for you: enter its library in the list of extension libraries that\n"
      "blastsearch-gui loads (in ~/.config/quillon/registry) and its file types (.bso, .ba6,\n"
      ".bq, .bss) on the desktop, opened with blastsearch-gui.\n"
      "Exit status: 0 done, 1 something could not be written.");
  command->callback([&context] { context.m_run = [&context] { return RunRegister(context); }; });
}

int RunRegister(CCommandContext& context) {
  int status = 0;
  const HRESULT result = DllRegisterServer();
  const std::string registry = RegistryFilePath();
  if (result != S_OK) {
    context.m_err << "blastsearch: could not enter " << BlastSearchModuleFileName() << " in "
                  << (registry.empty() ? "the registry (no HOME)" : registry) << " (" << Hex(result)
                  << ")\n";
    status = 1;
  } else {
    std::string list;
    for (const std::string& name : RegisteredLibraries()) list += (list.empty() ? "" : ",") + name;
    context.m_out << "registered " << BlastSearchModuleFileName() << " in " << registry
                  << " (Libraries=" << list << ")\n";
  }
  SetOrvShellProgram(WindowProgram());
  RegisterBlastSearchFileTypes();
  const COrvShellRegistration outcome = LastOrvShellRegistration();
  for (const std::string& path : outcome.m_written) context.m_out << "wrote " << path << '\n';
  for (const std::string& tool : outcome.m_ran) context.m_out << "ran " << tool << '\n';
  if (!outcome.m_strError.empty()) {
    context.m_err << "blastsearch: file types: " << outcome.m_strError << '\n';
    status = 1;
  }
  return status;
}

}  // namespace blastsearch
