#pragma once

#include "app/CommandContext.h"

namespace CLI {
class App;
}

namespace blastsearch {

// Adds `register` to `app`; choosing it sets context.m_run.
void AddRegisterCommand(CLI::App& app, CCommandContext& context);

// Installs the extension for the current user, as an installer would: enters
// its library in the host's list of extension libraries (DllRegisterServer)
// and its file types on the desktop (RegisterBlastSearchFileTypes), whose
// desktop entry opens files with the blastsearch-gui beside this program
// when there is one. Writes what it wrote to context.m_out and failures to
// context.m_err. 0 when both succeeded, else 1.
int RunRegister(CCommandContext& context);

}  // namespace blastsearch
