#include "search/ContextFilter.h"

#include <algorithm>
#include <optional>

#include "host/OrvTextFile.h"
#include "host/db/DBEngine.h"
#include "host/db/DBFunctions.h"
#include "host/db/DBObjectBase.h"
#include "host/db/DBStorage.h"

namespace blastsearch {

int CContextFilter::IsActive() const {
  return m_bEnabled != 0 && !m_substrings.empty() && (!m_udfNames.empty() || !m_fieldCodes.empty())
             ? 1
             : 0;
}

bool CContextFilter::HasCode(int code) const {
  const std::string text = std::to_string(code);
  return std::find(m_fieldCodes.begin(), m_fieldCodes.end(), text) != m_fieldCodes.end();
}

int CContextFilter::MatchUserFields(const CDBObjectBase& object) const {
  for (const CUDFieldValue& entry : object.m_udfValues) {
    if (std::find(m_udfNames.begin(), m_udfNames.end(), entry.m_strName) == m_udfNames.end()) {
      continue;
    }
    for (const std::string& value : entry.m_values) {
      if (CheckStringContext(value, m_substrings, m_bMatchCase) != 0) return 1;
    }
  }
  return 0;
}

// Reads the object's comment (its file, or the database's rows on a server)
// into its comment list; the first line holding a substring wins.
int CContextFilter::MatchComment(CDBObjectBase& object, int dbId) const {
  const std::size_t first = object.m_comments.size();
  if (!ReadObjectComment(object.GetObjectType(), object.m_recordId, dbId, object.m_comments)) {
    return 0;
  }
  for (std::size_t i = first; i < object.m_comments.size(); ++i) {
    if (CheckStringContext(object.m_comments[i], m_substrings, m_bMatchCase) != 0) return 1;
  }
  return 0;
}

int CContextFilter::Match(CObjInfo* info, CDBObjectBase** data, int dbId) {
  if (m_substrings.empty()) return 0;
  if (LoadObjectData(info, data, dbId) == 0) return 0;
  CDBObjectBase& object = **data;
  if (!m_udfNames.empty() && !object.m_udfValues.empty() && MatchUserFields(object) != 0) return 1;
  if (m_fieldCodes.empty()) return 0;

  // The current user's record stands in for a missing author; it is read
  // only when a record is missing.
  std::optional<CCreatorData> currentUser;
  auto matchCreator = [&](CCreatorData& record) {
    if (record.IsEmpty()) {
      if (!currentUser) {
        currentUser.emplace();
        currentUser->LoadCreatorData();
      }
      record = *currentUser;
    }
    return CheckCreatorContext(record, m_substrings, m_bMatchCase) != 0;
  };
  if (HasCode(kCodeAuthor) && matchCreator(object.m_creator)) return 1;
  if (HasCode(kCodeOriginalAuthor) && matchCreator(object.m_originalAuthor)) return 1;
  if (HasCode(kCodeDescription) &&
      CheckStringContext(object.m_description, m_substrings, m_bMatchCase) != 0) {
    return 1;
  }
  if (HasCode(kCodeComment)) return MatchComment(object, dbId);
  return 0;
}

int CContextFilter::NarrowCandidates(CCandidateQuery& query) const {
  if (!query.m_textSubstrings.empty()) return 0;
  bool comments = false;
  for (const std::string& code : m_fieldCodes) {
    if (code == std::to_string(kCodeComment)) {
      comments = true;
    } else if (code != std::to_string(kCodeDescription)) {
      return 0;  // a creator record: not in the index
    }
  }
  // An empty substring finds nothing (CheckStringContext skips it).
  std::vector<std::string> substrings;
  for (const std::string& text : m_substrings) {
    if (!text.empty()) substrings.push_back(text);
  }
  if (substrings.empty()) return 0;
  query.m_textSubstrings = std::move(substrings);
  query.m_bTextInComments = comments;
  return 1;
}

}  // namespace blastsearch
