#pragma once

#include <string>
#include <vector>

#include "platform/Export.h"

namespace blastsearch BLASTSEARCH_EXPORT {

class COrvTextFile;
class CDBValue;

// The values an object holds beyond the host's common fields, each
// registered by its field number. Does not own the values: a value
// registers itself at construction and leaves at destruction. Copying an
// object never copies the registrations (the copy's values register anew),
// so a container copies as empty.
class CDBValueContainer {
 public:
  CDBValueContainer() = default;
  CDBValueContainer(const CDBValueContainer&) {}
  CDBValueContainer& operator=(const CDBValueContainer&) { return *this; }

  // The registered values in registration order; valid while they live.
  const std::vector<CDBValue*>& Values() const { return m_values; }
  // The value registered for `field`, or null.
  [[nodiscard]] CDBValue* Find(int field) const;

 private:
  friend class CDBValue;
  void Add(CDBValue* value) { m_values.push_back(value); }
  void Remove(CDBValue* value);

  std::vector<CDBValue*> m_values;
};

// A value in an object's container, written and read as one field of the
// object's record. The base form holds a line of text.
class CDBValue {
 public:
  // Registers in `container` (which must outlive the value) under `field`
  // with `name`; `text` (null: empty) is the initial text.
  CDBValue(CDBValueContainer& container, int field, const char* name, const char* text);
  // Registers in `container` with `other`'s field number, name and text.
  CDBValue(CDBValueContainer& container, const CDBValue& other);
  CDBValue(const CDBValue&) = delete;
  CDBValue& operator=(const CDBValue&) = delete;
  // Leaves the container.
  virtual ~CDBValue();

  // Reads the value from `file`, just past its separator (`keyword` is the
  // separator's text); the rest of the separator's line stays in the file.
  // Failures are exceptions (CFileException, CKaArchiveException,
  // CDBException). Base form: reads the rest of the line as the text.
  virtual bool ReadValue(COrvTextFile& file, const char* keyword);
  // Writes the value's separator and the value, ending its line. Base form:
  // the separator, the text (escaped) and "\n". Throws CFileException.
  virtual bool WriteValue(COrvTextFile& file);

  int GetFieldNumber() const { return m_nField; }
  const std::string& GetName() const { return m_strName; }
  const std::string& GetText() const { return m_strText; }
  void SetText(std::string text) { m_strText = std::move(text); }

 private:
  CDBValueContainer* m_pContainer;
  int m_nField;
  std::string m_strName;
  std::string m_strText;
};

}  // namespace BLASTSEARCH_EXPORT
