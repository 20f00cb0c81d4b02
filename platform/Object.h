#pragma once

#include <new>
#include <string_view>

#include "platform/Export.h"

namespace blastsearch BLASTSEARCH_EXPORT {

class CObject;

// Run-time class record of a class derived from CObject: its name, schema,
// creation function and base class. Records are static objects that live as
// long as their library; records of dynamically creatable classes enter the
// by-name search when their library is loaded and leave it when the library
// goes (see IMPLEMENT_DYNCREATE and platform/ExtensionModule.h).
struct CRuntimeClass {
  const char* m_lpszClassName;
  unsigned m_wSchema;                           // 0xFFFF: dynamic creation without a schema
  CObject* (*m_pfnCreateObject)();              // null for classes that cannot be created
  const CRuntimeClass* (*m_pfnGetBaseClass)();  // null for CObject itself
  // The next record of the list that holds this one (the host's, or an
  // extension module's); kept by the framework.
  mutable const CRuntimeClass* m_pNextClass;

  // A new default-constructed object of this class, owned by the caller;
  // null when the class has no creation function or allocation yields null.
  [[nodiscard]] CObject* CreateObject() const;

  // True when this class is `base` or derives from it.
  bool IsDerivedFrom(const CRuntimeClass* base) const;

  // The record in the by-name search whose class name is `name` (the
  // host's own first, then those of the loaded extension modules), or null.
  static const CRuntimeClass* FromName(std::string_view name);
};

// Enters a record in the by-name search while its library loads (AfxClassInit)
// and takes it out when the library goes; a static object made by
// IMPLEMENT_DYNCREATE.
struct CRuntimeClassRegistration {
  explicit CRuntimeClassRegistration(const CRuntimeClass* cls);
  ~CRuntimeClassRegistration();
  CRuntimeClassRegistration(const CRuntimeClassRegistration&) = delete;
  CRuntimeClassRegistration& operator=(const CRuntimeClassRegistration&) = delete;

 private:
  const CRuntimeClass* m_pClass;
};

// The root of every class that has a run-time class record.
class CObject {
 public:
  virtual const CRuntimeClass* GetRuntimeClass() const;
  virtual ~CObject() = default;

  // True when this object's class is `cls` or derives from it.
  bool IsKindOf(const CRuntimeClass* cls) const;

  static const CRuntimeClass classCObject;

 protected:
  CObject() = default;
  CObject(const CObject&) = default;
  CObject& operator=(const CObject&) = default;

  static const CRuntimeClass* _GetBaseClass() { return nullptr; }
};

}  // namespace BLASTSEARCH_EXPORT

#define RUNTIME_CLASS(class_name) (&class_name::class##class_name)

// In a class body: the run-time class record, its accessor and CreateObject.
#define DECLARE_DYNCREATE(class_name)                    \
 public:                                                 \
  static const CRuntimeClass class##class_name;          \
  const CRuntimeClass* GetRuntimeClass() const override; \
  [[nodiscard]] static CObject* CreateObject();          \
                                                         \
 protected:                                              \
  static const CRuntimeClass* _GetBaseClass();           \
                                                         \
 public:

// In one source file: defines what DECLARE_DYNCREATE declares and registers
// the record by its class name.
#define IMPLEMENT_DYNCREATE(class_name, base_class_name)                                         \
  CObject* class_name::CreateObject() { return new (std::nothrow) class_name; }                  \
  const CRuntimeClass* class_name::_GetBaseClass() { return RUNTIME_CLASS(base_class_name); }    \
  const CRuntimeClass class_name::class##class_name = {                                          \
      #class_name, 0xFFFF, &class_name::CreateObject, &class_name::_GetBaseClass, nullptr};      \
  const CRuntimeClass* class_name::GetRuntimeClass() const { return RUNTIME_CLASS(class_name); } \
  static const CRuntimeClassRegistration s_registration##class_name(RUNTIME_CLASS(class_name));
