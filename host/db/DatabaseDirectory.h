#pragma once

#include <string>
#include <string_view>

#include "platform/Export.h"

namespace blastsearch BLASTSEARCH_EXPORT {

// The folder of the database to use: `asked` when given, else the user's data
// folder ($XDG_DATA_HOME/blastsearch, or ~/.local/share/blastsearch). Empty
// when neither is given nor known (no HOME).
std::string DatabaseDirectory(const std::string& asked);

// True when `asked` names a PostgreSQL server database rather than a folder:
// a "postgresql://" or "postgres://" address, or a libpq connection string
// of keyword=value pairs that starts with one of libpq's keywords (such as
// "host=lab dbname=blast" or "service=lab"). A folder of such a name is
// still reached as "./host=...".
bool IsServerDatabase(std::string_view asked);

// A server database for messages: "postgresql://HOST:PORT/DBNAME" (or
// "service NAME"), from the parts `asked` gives; never its user, password or
// other settings.
std::string DescribeServerDatabase(std::string_view asked);

// The local folder where a program keeps its own working files for the
// database `asked` names (the remote searches' request IDs and downloads):
// the database's folder itself, or for a server database a folder of the
// user's data folder named after the server's address (never its
// credentials). Empty when neither is known (no HOME). Not created here.
std::string LocalWorkFolder(const std::string& asked);

}  // namespace BLASTSEARCH_EXPORT
