#pragma once

#include <string>
#include <vector>

#include "platform/Export.h"

namespace blastsearch BLASTSEARCH_EXPORT {

// The host's record of what loaded modules registered with it, in the order
// they did it: one note per registration or removal (window messages,
// archive links, tables, file types, extension modules). Every note gets a
// stamp one higher than the note before it, for the whole process, so that
// the host (and a test) can tell the order in which a module started up and
// went away. Safe to use from any thread and from static initialisers. Only
// the most recent 4096 notes are kept.

// One note: its stamp (from 1) and what happened ("archive link ~Hit~",
// "table 201 removed").
struct CRegistrationNote {
  unsigned long m_nStamp = 0;
  std::string m_strWhat;
};

// Adds a note; returns its stamp. Never throws (a note that cannot be kept
// for want of memory still gets its stamp).
unsigned long NoteRegistration(const std::string& what) noexcept;

// The stamp of the last note, 0 before the first one.
unsigned long LastRegistrationStamp();

// The notes kept whose stamps are above `stamp`, oldest first.
std::vector<CRegistrationNote> RegistrationsSince(unsigned long stamp);

}  // namespace BLASTSEARCH_EXPORT
