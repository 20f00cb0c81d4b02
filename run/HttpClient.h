#pragma once

#include <functional>
#include <memory>
#include <string>
#include <string_view>

#include "platform/Export.h"

namespace blastsearch BLASTSEARCH_EXPORT {

// A client of one HTTP service: form posts whose answers arrive as a stream.
// Implementations: the libcurl client (MakeCurlClient); tests use it against
// a server of their own on the loopback address.
class CHttpClient {
 public:
  virtual ~CHttpClient() = default;

  // Posts `form` (application/x-www-form-urlencoded, see FormField) to
  // `url` and hands each piece of the answer's body to `sink` as it comes;
  // `sink` returns false to end the transfer. True when the whole answer
  // came with status 200; false with `error` set (the server cannot be
  // reached, the connection was lost or became too slow, another status, or
  // the sink ended it). Never throws but for memory.
  virtual bool Post(const std::string& url, const std::string& form,
                    const std::function<bool(std::string_view)>& sink, std::string& error) = 0;
};

// What the libcurl client waits for.
struct CHttpSettings {
  long m_nConnectTimeout = 30;  // seconds to connect
  long m_nStallTimeout = 120;   // seconds without a byte before the transfer is given up
  // Non-zero: abort the transfer (may be set from a signal handler or another
  // thread). May be null.
  const volatile int* m_pStop = nullptr;
};

// The libcurl client (HTTPS with the system's certificates). Owned by the
// caller; one transfer at a time.
[[nodiscard]] std::unique_ptr<CHttpClient> MakeCurlClient(const CHttpSettings& settings);

// "`name`=`value`" with both percent-encoded for a form (letters, digits and
// "-._~" kept, a blank as "+"), preceded by '&' when `form` is not empty;
// appended to `form`.
void AddFormField(std::string& form, std::string_view name, std::string_view value);

}  // namespace BLASTSEARCH_EXPORT
