#pragma once

#include <exception>
#include <string>

#include "platform/Export.h"

namespace blastsearch BLASTSEARCH_EXPORT {

// Base of every exception that the platform, the host and the extension
// raise for failures underneath (files, archive data, memory). Operations of
// the extension report their own results with 1/0 and null instead.
class CException : public std::exception {
 public:
  explicit CException(std::string message) : m_strMessage(std::move(message)) {}

  // The message, naming what failed; valid while the exception lives.
  const char* what() const noexcept override { return m_strMessage.c_str(); }

 private:
  std::string m_strMessage;
};

// An allocation failed, or input asked for more memory than it can justify.
class CMemoryException : public CException {
 public:
  explicit CMemoryException(std::string message = "out of memory")
      : CException(std::move(message)) {}
};

}  // namespace BLASTSEARCH_EXPORT
