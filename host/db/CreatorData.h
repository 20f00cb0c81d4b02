#pragma once

#include <string>

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
  int SaveCreatorData() const;

  // The record as one line of text and back (tab-separated, escaped);
  // FromText leaves missing parts empty and never throws.
  std::string ToText() const;
  static CCreatorData FromText(const std::string& text);

  bool operator==(const CCreatorData&) const = default;
};

// The login name of the current user ("unknown" when the system has none).
std::string CurrentLoginName();
