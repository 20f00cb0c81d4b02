#pragma once

#include <string>

#include "platform/Export.h"

namespace blastsearch BLASTSEARCH_EXPORT {

// Extra data that a host record carries for other modules, kept as opaque
// bytes. Empty() discards it.
class CKaXDataWrapper {
 public:
  void Empty() { m_data.clear(); }
  bool IsEmpty() const { return m_data.empty(); }

  const std::string& GetData() const { return m_data; }
  void SetData(std::string data) { m_data = std::move(data); }

 private:
  std::string m_data;
};

}  // namespace BLASTSEARCH_EXPORT
