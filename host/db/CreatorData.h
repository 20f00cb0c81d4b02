#pragma once

#include <string>

#include "platform/Export.h"

namespace blastsearch BLASTSEARCH_EXPORT {

// A creator record: who made or last changed an object. Empty when it has
// no name.
class CCreatorData {
 public:
  std::string m_strName;          // the person's name
  std::string m_strOrganization;  // organisation
  std::string m_strEmail;         // e-mail address
  long m_nDate = 0;               // when (GetOrvCurrentTime), 0 unknown

  bool IsEmpty() const { return m_strName.empty(); }

  // Fills the record of the current user: the record saved for the login
  // name in database 1 when there is one, else the system's account name
  // (the full name of the account where it has one) and the current time.
  // Database failures are not raised: the system's record is used.
  void LoadCreatorData();
  // Saves this record as the current user's in database 1: 1 stored, 0 when
  // no database is open or the store failed (nothing changed then).
  [[nodiscard]] int SaveCreatorData() const;

  // The record as one line of text and back: name, organisation, e-mail
  // (each escaped as record text) and the date in decimal, separated by
  // tabs; FromText(ToText()) gives a record with a name back. A text without
  // a name reads as the empty record (an object's record leaves empty
  // creators out, so nothing more of it would be kept). Shorter texts (a
  // name alone) read with the missing parts empty; a date that does not
  // begin with a number (or is out of range) reads as 0; parts after the
  // fourth are ignored. FromText never throws.
  std::string ToText() const;
  static CCreatorData FromText(const std::string& text);

  bool operator==(const CCreatorData&) const = default;
};

// The login name of the current user ("unknown" when the system has none).
std::string CurrentLoginName();

}  // namespace BLASTSEARCH_EXPORT
