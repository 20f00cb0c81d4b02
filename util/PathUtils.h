#pragma once

#include <string>
#include <string_view>

#include "platform/Export.h"

namespace blastsearch BLASTSEARCH_EXPORT {

// File-path helpers exported for the suite. Paths follow the rules of the
// platform that the suite came from, on Linux paths too: a path may begin
// with a drive (a letter and a colon), both '\\' and '/' separate
// directories, and the extension is the part of the last name from its last
// '.' on. No part has a length limit.

// The four parts of a path; any of them may be empty. The directory keeps
// its closing separator and the extension keeps its dot.
struct CPathParts {
  std::string m_strDrive;  // "X:" or empty
  std::string m_strDir;    // up to and including the last separator
  std::string m_strName;   // the last name without its extension
  std::string m_strExt;    // from the last '.' of the last name on
};

// Cuts `path` into drive, directory, file name and extension. The parts,
// joined in that order, give `path` back.
CPathParts SplitPath(std::string_view path);

// Drive and directory of `path`, with the directory's closing separator; the
// drive alone or an empty string when the path has no directory. A null path
// gives an empty string.
std::string GetFileDir(const char* path);

// File name with its extension (the last name of `path`); empty for a null
// path or a path that ends in a separator.
std::string GetFileNameExt(const char* path);

// When a file (or directory) exists at `path`, replaces `path` with the first
// free name formed by counting a number at the end of its file name and
// returns 1; returns 0 and leaves `path` unchanged when nothing exists there.
// A name that ends in a blank and a number counts on from that number (the
// first candidate repeats it); any other name gets a blank and 1, 2, ...
// A path that holds a zero byte names no file.
int AdjustUniqueFileName(std::string& path);

// `path` with the next free three-digit number after its file name: one more
// than the largest number that existing entries of the form name, three
// characters, extension carry in the same directory (001 when there are none;
// numbers above 999 in full). Creates nothing and does not test the result.
// An unreadable or missing directory counts as empty.
std::string AdjustTmpFileName000(std::string path);

}  // namespace BLASTSEARCH_EXPORT
