#pragma once

#include <cstddef>
#include <string>

#include "platform/Export.h"
#include "platform/Object.h"

namespace blastsearch BLASTSEARCH_EXPORT {

// Named values kept in tag notation ("<key>value</key>" elements, plainly
// concatenated) and edited in place inside one text: either the storage's own
// text or a text that the caller owns and that must outlive the storage (or
// be replaced by SetData first).
//
// Get, Set and Delete act on the first "<key>" that occurs anywhere in the
// text (also inside an earlier value) and its first "</key>" after it; a key
// whose closing tag is missing counts as absent. Nothing is escaped.
class CStringDataStorage : public CObject {
 public:
  // Edits its own text, empty at first.
  CStringDataStorage() = default;
  // Edits `text` when it is not null, else its own text.
  explicit CStringDataStorage(std::string* text);
  // Copies as operator= does.
  CStringDataStorage(const CStringDataStorage& source);
  // Copies the source's own text; edits its own copy when the source edits
  // its own text, otherwise the same caller's text as the source.
  CStringDataStorage& operator=(const CStringDataStorage& source);
  // Releases only its own text; a caller's text is left as it is.
  ~CStringDataStorage() override = default;

  // The text being edited; valid while this storage (or the caller's text) lives.
  std::string* GetData() const { return m_pData; }

  // Edits `text` from now on; a null pointer means its own text.
  void SetData(std::string* text);

  // Replaces the whole text being edited by `value`.
  void SetData(std::string value);

  // Replaces the value of `key` in place, or appends "<key>value</key>" at
  // the end of the text when the key is absent.
  void Set(std::string key, std::string value);

  // Copies the value of `key` into `value` and returns 1; returns 0 and
  // leaves `value` unchanged when the key is absent.
  int Get(std::string key, std::string& value);

  // Removes the element of `key` (opening tag to closing tag); nothing
  // changes when the key is absent.
  void Delete(std::string key);

 private:
  // Finds the element of `key` and records its positions below; false when
  // the text is empty, or the opening or the closing tag is missing.
  bool Find(const std::string& key);

  std::string* m_pData = &m_strData;  // the text being edited
  std::string m_strData;              // the storage's own text

  // Positions found by the last Find: opening tag, value's first character,
  // closing tag, and the key's length. Working state, never copied.
  std::size_t m_nTagPos = 0;
  std::size_t m_nValuePos = 0;
  std::size_t m_nEndTagPos = 0;
  std::size_t m_nKeyLength = 0;
};

}  // namespace BLASTSEARCH_EXPORT
