#pragma once

#include <string>
#include <vector>

#include "host/FileTypesTable.h"
#include "platform/Export.h"

namespace blastsearch BLASTSEARCH_EXPORT {

// What a registration of file types with the desktop did: the files it
// wrote, the desktop's tools it ran (with their exit status), and, when it
// failed, why (naming the file). Empty m_strError: success.
struct COrvShellRegistration {
  std::vector<std::string> m_written;
  std::vector<std::string> m_ran;
  std::string m_strError;
};

// Registers `count` file types of `rows` with the desktop for the current
// user: a shared MIME-info package (each type "application/x-" and its
// shell class in lower case, its shell description as comment, "*" and its
// extension as pattern) in $XDG_DATA_HOME/mime/packages, and a desktop
// entry that opens those types with the host's window program
// (OrvShellProgram()) in $XDG_DATA_HOME/applications; both named after the
// first row's shell class. Each file is replaced only when whole. Then runs
// update-mime-database and update-desktop-database on those folders where
// the tools are on the PATH. Rows without shell class or extension are left
// out. The outcome is also kept for LastOrvShellRegistration.
COrvShellRegistration RegisterOrvShellFileTypes(const FTTENTRY* rows, int count);

// The outcome of the last RegisterOrvShellFileTypes of this process (empty
// before the first).
COrvShellRegistration LastOrvShellRegistration();

// The program that desktop entries open files with: set by the host program
// (an absolute path where it knows one); "blastsearch-gui" until then.
std::string OrvShellProgram();
void SetOrvShellProgram(const std::string& program);

// The MIME type name of a file-type row: "application/x-" and its shell
// class in lower case.
std::string OrvShellMimeType(const FTTENTRY& row);

}  // namespace BLASTSEARCH_EXPORT
