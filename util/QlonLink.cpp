#include "util/QlonLink.h"

#include "host/UrlDecode.h"
#include "parse/ScanText.h"

namespace blastsearch {

namespace {

// The decoded name keeps to what the suite's decoding buffer holds.
constexpr std::size_t kDecodeBufferSize = 4096;

}  // namespace

std::string QlonLinkToName(std::string link, int* first, int* second) {
  const std::size_t slash = link.find('/');
  const std::size_t query = link.find('?');
  const bool numbers = first != nullptr && second != nullptr;
  if (slash == std::string::npos) return {};

  if (query == std::string::npos) {
    if (numbers) *first = *second = 0;
    return link.substr(slash + 1);
  }
  if (query < slash) return {};

  std::string name = link.substr(slash + 1, query - slash - 1);
  std::string decoded;
  if (decodeURLHexCoding(decoded, name, kDecodeBufferSize)) name = std::move(decoded);

  if (numbers) {
    const std::size_t equals = link.find('=');
    const std::size_t minus = link.find('-');
    if (equals == std::string::npos || minus == std::string::npos) {
      *first = *second = 0;
    } else if (equals > slash && minus > equals) {
      // The first field keeps its '-', which the conversion ignores.
      *first = atoi(link.substr(equals + 1, minus - equals));
      *second = atoi(link.substr(minus + 1));
    }
  }
  return name;
}

}  // namespace blastsearch
