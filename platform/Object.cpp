#include "platform/Object.h"

#include <map>
#include <string>

namespace blastsearch {

namespace {

std::map<std::string, const CRuntimeClass*, std::less<>>& Registry() {
  static std::map<std::string, const CRuntimeClass*, std::less<>> registry;
  return registry;
}

}  // namespace

CObject* CRuntimeClass::CreateObject() const {
  return m_pfnCreateObject != nullptr ? m_pfnCreateObject() : nullptr;
}

bool CRuntimeClass::IsDerivedFrom(const CRuntimeClass* base) const {
  for (const CRuntimeClass* cls = this; cls != nullptr;
       cls = cls->m_pfnGetBaseClass != nullptr ? cls->m_pfnGetBaseClass() : nullptr) {
    if (cls == base) return true;
  }
  return false;
}

const CRuntimeClass* CRuntimeClass::FromName(std::string_view name) {
  const auto& registry = Registry();
  auto it = registry.find(name);
  return it != registry.end() ? it->second : nullptr;
}

CRuntimeClassRegistration::CRuntimeClassRegistration(const CRuntimeClass* cls) {
  Registry().emplace(cls->m_lpszClassName, cls);
}

const CRuntimeClass CObject::classCObject = {"CObject", 0xFFFF, nullptr, nullptr};

const CRuntimeClass* CObject::GetRuntimeClass() const { return RUNTIME_CLASS(CObject); }

bool CObject::IsKindOf(const CRuntimeClass* cls) const {
  return GetRuntimeClass()->IsDerivedFrom(cls);
}

}  // namespace blastsearch
