#pragma once

#include <string>

// Writes pictures of the windows of the loaded extension libraries into
// `dir` (made when absent): each library's own pictures (the search dialog
// on each of its tabs: search-attributes.png, search-text.png and
// search-keywords.png). Returns "" on success, else what failed (naming the
// file).
std::string WriteWindowScreenshots(const std::string& dir);
