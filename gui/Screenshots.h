#pragma once

#include <string>

// Writes pictures of the search dialog on each of its tabs into `dir`:
// search-attributes.png, search-text.png and search-keywords.png. Returns
// "" on success, else what failed (naming the file).
std::string WriteSearchScreenshots(const std::string& dir);
