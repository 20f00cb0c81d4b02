#pragma once

#include <filesystem>
#include <string>

namespace blastsearch {

// What the object database in the folder `dir` holds, as text to compare:
// the rows of every table in order (creation times and authors' dates left
// out, so that the same change made at another second gives the same text),
// then every other file of the folder (comments) with its bytes. Opens the
// database for reading only; "cannot open" when it cannot.
std::string DatabaseDump(const std::filesystem::path& dir);

}  // namespace blastsearch
