#include "host/db/CreatorData.h"

#include <pwd.h>
#include <unistd.h>

#include <cstdlib>
#include <vector>

#include "host/db/DBEngine.h"
#include "host/db/DBFunctions.h"
#include "host/db/DBRecordText.h"
#include "platform/Exception.h"

namespace blastsearch {

namespace {

std::vector<std::string> SplitTabs(const std::string& text) {
  std::vector<std::string> parts(1);
  for (char c : text) {
    if (c == '\t')
      parts.emplace_back();
    else
      parts.back() += c;
  }
  return parts;
}

}  // namespace

std::string CurrentLoginName() {
  if (const passwd* pw = getpwuid(getuid()); pw != nullptr && pw->pw_name != nullptr) {
    return pw->pw_name;
  }
  if (const char* user = std::getenv("USER"); user != nullptr && *user != '\0') return user;
  return "unknown";
}

void CCreatorData::LoadCreatorData() {
  const std::string login = CurrentLoginName();
  if (CDBStorage* storage = engine().Storage(1); storage != nullptr) {
    try {
      std::string text;
      if (storage->LoadCreator(login, text)) {
        *this = FromText(text);
        if (!IsEmpty()) return;
      }
    } catch (const CException&) {
      // the system's record below
    }
  }
  *this = CCreatorData();
  m_strName = login;
  if (const passwd* pw = getpwuid(getuid()); pw != nullptr && pw->pw_gecos != nullptr) {
    std::string full = pw->pw_gecos;
    full = full.substr(0, full.find(','));
    if (!full.empty()) m_strName = full;
  }
  m_nDate = GetOrvCurrentTime();
}

int CCreatorData::SaveCreatorData() const {
  CDBStorage* storage = engine().Storage(1);
  if (storage == nullptr) return 0;
  try {
    storage->SaveCreator(CurrentLoginName(), ToText());
    return 1;
  } catch (const CException&) {
    return 0;
  }
}

std::string CCreatorData::ToText() const {
  return EscapeRecordText(m_strName) + '\t' + EscapeRecordText(m_strOrganization) + '\t' +
         EscapeRecordText(m_strEmail) + '\t' + std::to_string(m_nDate);
}

CCreatorData CCreatorData::FromText(const std::string& text) {
  CCreatorData data;
  std::vector<std::string> parts = SplitTabs(text);
  parts.resize(4);
  data.m_strName = UnescapeRecordText(parts[0]);
  // A record without a name is empty (and is not written): its other parts
  // are not kept either, so that what is read is what a record keeps.
  if (data.m_strName.empty()) return CCreatorData();
  data.m_strOrganization = UnescapeRecordText(parts[1]);
  data.m_strEmail = UnescapeRecordText(parts[2]);
  try {
    data.m_nDate = parts[3].empty() ? 0 : std::stol(parts[3]);
  } catch (const std::exception&) {
    data.m_nDate = 0;
  }
  return data;
}

}  // namespace blastsearch
