#pragma once

#include <string>

#include "platform/Exception.h"
#include "platform/Export.h"

namespace blastsearch BLASTSEARCH_EXPORT {

// The object database failed: the database file cannot be opened, is not a
// database of this program or of a newer version, a statement failed, a
// stored record or an archive is damaged. The message names the file and
// what was wrong.
class CDBException : public CException {
 public:
  explicit CDBException(std::string message) : CException(std::move(message)) {}
};

}  // namespace BLASTSEARCH_EXPORT
