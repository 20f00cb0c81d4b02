#include "parse/ResponseText.h"

#include <limits>
#include <new>
#include <string>

#include "platform/Exception.h"
#include "platform/File.h"

CResponseText ReadResponseText(CFile& file) {
  CResponseText response;
  response.nLength = file.GetLength();
  if (response.nLength >= std::numeric_limits<std::size_t>::max()) {
    throw CMemoryException("response too large to hold in memory");
  }
  const auto size = static_cast<std::size_t>(response.nLength);
  try {
    response.pText.reset(new char[size + 1]);
  } catch (const std::bad_alloc&) {
    throw CMemoryException("no memory for a response of " + std::to_string(size) + " bytes");
  }
  response.nRead = file.Read(response.pText.get(), size);
  response.pText[response.nRead] = '\0';
  return response;
}
