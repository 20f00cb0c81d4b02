#pragma once

#include <cstdint>

#include "host/db/DBValue.h"
#include "platform/Export.h"
#include "table/BlastSearchField.h"

namespace blastsearch BLASTSEARCH_EXPORT {

// A value that holds a T (by value, owned) and goes into a record through
// ReadField/WriteField of T. `m_extra` travels to both unused.
template <class T>
class CDBTypeValue : public CDBValue {
 public:
  // Registers in `container` under `field` and `name`; T default-constructed.
  CDBTypeValue(CDBValueContainer& container, int field, const char* name, const char* text,
               std::uint32_t extra)
      : CDBValue(container, field, name, text), m_extra(extra) {}
  // Registers in `container` as a copy of `other`: a deep copy of its T.
  // Throws CMemoryException when the copy cannot be allocated.
  CDBTypeValue(CDBValueContainer& container, const CDBTypeValue& other)
      : CDBValue(container, other), m_extra(other.m_extra) {
    m_entry = other.m_entry;
  }
  ~CDBTypeValue() override = default;

  // ReadField(keyword, m_entry, file, m_extra); true. Exceptions pass out.
  bool ReadValue(COrvTextFile& file, const char* keyword) override {
    ReadField(keyword, m_entry, file, m_extra);
    return true;
  }
  // WriteField(field number, m_entry, file, m_extra); true. Exceptions pass.
  bool WriteValue(COrvTextFile& file) override {
    WriteField(GetFieldNumber(), m_entry, file, m_extra);
    return true;
  }

  T m_entry;
  std::uint32_t m_extra;
};

}  // namespace BLASTSEARCH_EXPORT
