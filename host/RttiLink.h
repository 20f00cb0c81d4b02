#pragma once

#include <string>
#include <string_view>
#include <type_traits>

#include "platform/Export.h"
#include "platform/Object.h"

namespace blastsearch BLASTSEARCH_EXPORT {

class CKaArchive;

// Registers a class with the archive: its link name (the class identity
// written into archives), its run-time class record (through which loading
// creates objects) and its serialize function. Links are static objects that
// register themselves on construction, by name and by class, and leave the
// registry when destroyed; the registry is a function-local static, so links
// may be constructed from any static initialiser. When two links share a
// name or a class, the first one registered is the one found.
class UX_RTTI_LINK {
 public:
  // Name-based creation function of the host; this system never gives one.
  using CreateFunction = void (*)(const std::string& name, void*& object, CKaArchive& archive);

  // `name` and `cls` must be non-null; `cls` must stay valid while the link
  // lives (run-time class records are static). `serialize` transfers one
  // object of class T (T derived from CObject, or void for an untyped
  // function) in the archive's direction. `create` and `other` are kept and
  // not used by the archive.
  template <class T>
  UX_RTTI_LINK(const char* name, const CRuntimeClass* cls, void (*serialize)(T*, CKaArchive&),
               CreateFunction create, const CRuntimeClass* other)
      : m_strName(name),
        m_pClass(cls),
        m_pfnSerialize(reinterpret_cast<ErasedFunction>(serialize)),
        m_pfnThunk(&Thunk<T>),
        m_pfnCreate(create),
        m_pOther(other) {
    Register();
  }
  UX_RTTI_LINK(const UX_RTTI_LINK&) = delete;
  UX_RTTI_LINK& operator=(const UX_RTTI_LINK&) = delete;
  ~UX_RTTI_LINK();

  const std::string& GetName() const { return m_strName; }
  const CRuntimeClass* GetClass() const { return m_pClass; }
  CreateFunction GetCreateFunction() const { return m_pfnCreate; }
  const CRuntimeClass* GetOtherClass() const { return m_pOther; }

  // Calls the serialize function on `obj`; false, without calling it, when
  // `obj` is not of the type that function takes.
  bool Serialize(CObject* obj, CKaArchive& archive) const;

  // The link registered under `name`, or null.
  static const UX_RTTI_LINK* FromName(std::string_view name);
  // The link registered for exactly `cls`, or null.
  static const UX_RTTI_LINK* FromClass(const CRuntimeClass* cls);

 private:
  using ErasedFunction = void (*)();
  using ThunkFunction = bool (*)(ErasedFunction fn, CObject* obj, CKaArchive& archive);

  // Restores the serialize function's own type before calling it, so that no
  // call goes through a mismatched function type.
  template <class T>
  static bool Thunk(ErasedFunction fn, CObject* obj, CKaArchive& archive) {
    auto typed = reinterpret_cast<void (*)(T*, CKaArchive&)>(fn);
    if constexpr (std::is_void_v<T>) {
      typed(obj, archive);
    } else {
      static_assert(std::is_base_of_v<CObject, T>, "linked classes derive from CObject");
      T* object = dynamic_cast<T*>(obj);
      if (object == nullptr) return false;
      typed(object, archive);
    }
    return true;
  }

  void Register();

  std::string m_strName;
  const CRuntimeClass* m_pClass;
  ErasedFunction m_pfnSerialize;
  ThunkFunction m_pfnThunk;
  CreateFunction m_pfnCreate;
  const CRuntimeClass* m_pOther;
};

}  // namespace BLASTSEARCH_EXPORT
