#pragma once

#include <string>

// The folder of the database to use: `asked` when given, else the user's data
// folder ($XDG_DATA_HOME/blastsearch, or ~/.local/share/blastsearch). Empty
// when neither is given nor known (no HOME).
std::string DatabaseDirectory(const std::string& asked);
