#include "host/RttiLink.h"

#include <map>

#include "platform/RegistrationLog.h"

namespace blastsearch {

namespace {

struct LinkRegistry {
  std::map<std::string, const UX_RTTI_LINK*, std::less<>> byName;
  std::map<const CRuntimeClass*, const UX_RTTI_LINK*> byClass;
};

// Constructed on first use, so links in any static initialiser find it.
LinkRegistry& Registry() {
  static LinkRegistry registry;
  return registry;
}

}  // namespace

void UX_RTTI_LINK::Register() {
  LinkRegistry& registry = Registry();
  registry.byName.emplace(m_strName, this);
  if (m_pClass != nullptr) registry.byClass.emplace(m_pClass, this);
  NoteRegistration("archive link " + m_strName);
}

UX_RTTI_LINK::~UX_RTTI_LINK() {
  LinkRegistry& registry = Registry();
  auto byName = registry.byName.find(m_strName);
  if (byName != registry.byName.end() && byName->second == this) registry.byName.erase(byName);
  auto byClass = registry.byClass.find(m_pClass);
  if (byClass != registry.byClass.end() && byClass->second == this) {
    registry.byClass.erase(byClass);
  }
  NoteRegistration("archive link " + m_strName + " removed");
}

bool UX_RTTI_LINK::Serialize(CObject* obj, CKaArchive& archive) const {
  return m_pfnThunk(m_pfnSerialize, obj, archive);
}

const UX_RTTI_LINK* UX_RTTI_LINK::FromName(std::string_view name) {
  const LinkRegistry& registry = Registry();
  auto it = registry.byName.find(name);
  return it != registry.byName.end() ? it->second : nullptr;
}

const UX_RTTI_LINK* UX_RTTI_LINK::FromClass(const CRuntimeClass* cls) {
  const LinkRegistry& registry = Registry();
  auto it = registry.byClass.find(cls);
  return it != registry.byClass.end() ? it->second : nullptr;
}

}  // namespace blastsearch
