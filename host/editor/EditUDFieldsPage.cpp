#include "host/editor/EditUDFieldsPage.h"

#include <algorithm>
#include <exception>
#include <map>
#include <string>

#include "host/db/DBEngine.h"
#include "host/db/DBObjectBase.h"

namespace blastsearch {

namespace {

// The user-defined fields of `objType` in database `dbId`, in definition
// order; none when it is not open or cannot be read.
std::vector<CUDFieldDef> DefinedFields(int objType, int dbId) {
  std::vector<CUDFieldDef> defs;
  CDBStorage* storage = engine().Storage(dbId);
  if (storage == nullptr) return defs;
  try {
    for (const CUDFieldDef& def : storage->UDFieldDefs()) {
      if (def.m_objType == 0 || def.m_objType == objType) defs.push_back(def);
    }
  } catch (const std::exception&) {
    defs.clear();
  }
  return defs;
}

// The values of `entries` by field name, entries of one name joined and
// empty values dropped: what the entries mean, whatever their order.
std::map<std::string, std::vector<std::string>> Meaning(const std::vector<CUDFieldValue>& entries) {
  std::map<std::string, std::vector<std::string>> meaning;
  for (const CUDFieldValue& entry : entries) {
    for (const std::string& value : entry.m_values) {
      if (!value.empty()) meaning[entry.m_strName].push_back(value);
    }
  }
  return meaning;
}

}  // namespace

CEditUDFieldsPage::CEditUDFieldsPage(CDBObjectBase* object, int dbId)
    : CEditObjectPage(kLayoutEditUDFields) {
  if (object == nullptr) return;
  for (const CUDFieldDef& def : DefinedFields(object->GetObjectType(), dbId)) {
    m_fields.push_back(CUDFieldValue{def.m_strName, {}});
    m_kinds.push_back(def.m_valueKind);
  }
  for (const CUDFieldValue& entry : object->m_udfValues) {
    auto it = std::find_if(m_fields.begin(), m_fields.end(),
                           [&](const CUDFieldValue& f) { return f.m_strName == entry.m_strName; });
    if (it == m_fields.end()) {
      m_fields.push_back(entry);
      m_kinds.push_back(kValueText);
    } else {
      it->m_values.insert(it->m_values.end(), entry.m_values.begin(), entry.m_values.end());
    }
  }
}

CEditUDFieldsPage::~CEditUDFieldsPage() = default;

bool CEditUDFieldsPage::IsNumeric(std::size_t field) const {
  return field < m_kinds.size() && m_kinds[field] == kValueNumber;
}

std::vector<CUDFieldValue> CEditUDFieldsPage::Written() const {
  std::vector<CUDFieldValue> written;
  for (const CUDFieldValue& field : m_fields) {
    CUDFieldValue entry{field.m_strName, {}};
    for (const std::string& value : field.m_values) {
      if (!value.empty()) entry.m_values.push_back(value);
    }
    if (!entry.m_values.empty()) written.push_back(std::move(entry));
  }
  return written;
}

int CEditUDFieldsPage::UpdateObject(CDBObjectBase* object) {
  if (object == nullptr) return 0;
  std::vector<CUDFieldValue> written = Written();
  if (Meaning(written) == Meaning(object->m_udfValues)) return 0;
  object->m_udfValues = std::move(written);
  return kEditUDFieldsChanged;
}

}  // namespace blastsearch
