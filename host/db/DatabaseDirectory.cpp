#include "host/db/DatabaseDirectory.h"

#include <algorithm>
#include <array>
#include <cctype>

#include "platform/UserDirectories.h"

namespace blastsearch {

namespace {

// libpq's connection keywords that can start a connection string.
constexpr std::array<std::string_view, 26> kConnectionKeywords = {"host",
                                                                  "hostaddr",
                                                                  "port",
                                                                  "dbname",
                                                                  "user",
                                                                  "password",
                                                                  "passfile",
                                                                  "service",
                                                                  "sslmode",
                                                                  "sslcert",
                                                                  "sslkey",
                                                                  "sslrootcert",
                                                                  "sslcrl",
                                                                  "sslpassword",
                                                                  "connect_timeout",
                                                                  "options",
                                                                  "application_name",
                                                                  "channel_binding",
                                                                  "gssencmode",
                                                                  "requiressl",
                                                                  "krbsrvname",
                                                                  "target_session_attrs",
                                                                  "client_encoding",
                                                                  "keepalives",
                                                                  "load_balance_hosts",
                                                                  "fallback_application_name"};

bool StartsWithNoCase(std::string_view text, std::string_view prefix) {
  if (text.size() < prefix.size()) return false;
  return std::equal(prefix.begin(), prefix.end(), text.begin(), [](char lower, char c) {
    return std::tolower(static_cast<unsigned char>(c)) == lower;
  });
}

std::size_t SchemeLength(std::string_view asked) {
  for (std::string_view scheme : {"postgresql://", "postgres://"}) {
    if (StartsWithNoCase(asked, scheme)) return scheme.size();
  }
  return 0;
}

std::size_t SkipSpaces(std::string_view text, std::size_t at) {
  while (at < text.size() && std::isspace(static_cast<unsigned char>(text[at]))) ++at;
  return at;
}

// The value of `keyword` in a keyword=value connection string (its last
// occurrence, as libpq takes it), quotes and backslashes undone; empty when
// absent or when the string cannot be read.
std::string ConnectionValue(std::string_view text, std::string_view keyword) {
  std::string found;
  std::size_t at = 0;
  while ((at = SkipSpaces(text, at)) < text.size()) {
    const std::size_t keyStart = at;
    while (at < text.size() && text[at] != '=' &&
           !std::isspace(static_cast<unsigned char>(text[at]))) {
      ++at;
    }
    const std::string_view key = text.substr(keyStart, at - keyStart);
    at = SkipSpaces(text, at);
    if (at >= text.size() || text[at] != '=') return {};
    at = SkipSpaces(text, at + 1);
    std::string value;
    const bool quoted = at < text.size() && text[at] == '\'';
    if (quoted) ++at;
    while (at < text.size()) {
      const char c = text[at];
      if (quoted ? c == '\'' : std::isspace(static_cast<unsigned char>(c)) != 0) break;
      if (c == '\\' && at + 1 < text.size()) ++at;
      value += text[at++];
    }
    if (quoted) ++at;
    if (key == keyword) found = std::move(value);
  }
  return found;
}

}  // namespace

std::string DatabaseDirectory(const std::string& asked) {
  if (!asked.empty()) return asked;
  const std::string data = UserDataDirectory();
  return data.empty() ? "" : data + "/blastsearch";
}

bool IsServerDatabase(std::string_view asked) {
  if (SchemeLength(asked) != 0) return true;
  const std::size_t start = SkipSpaces(asked, 0);
  std::size_t end = start;
  while (end < asked.size() &&
         (std::islower(static_cast<unsigned char>(asked[end])) != 0 || asked[end] == '_')) {
    ++end;
  }
  const std::size_t equals = SkipSpaces(asked, end);
  if (equals >= asked.size() || asked[equals] != '=') return false;
  const std::string_view keyword = asked.substr(start, end - start);
  return std::find(kConnectionKeywords.begin(), kConnectionKeywords.end(), keyword) !=
         kConnectionKeywords.end();
}

std::string DescribeServerDatabase(std::string_view asked) {
  std::string host;
  std::string port;
  std::string dbname;
  if (const std::size_t scheme = SchemeLength(asked); scheme != 0) {
    std::string_view rest = asked.substr(scheme);
    rest = rest.substr(0, rest.find_first_of("?#"));
    std::string_view authority = rest.substr(0, rest.find('/'));
    if (const std::size_t at = authority.rfind('@'); at != std::string_view::npos) {
      authority = authority.substr(at + 1);  // the user and password stay out
    }
    host = std::string(authority);
    if (const std::size_t slash = rest.find('/'); slash != std::string_view::npos) {
      dbname = std::string(rest.substr(slash + 1));
    }
  } else {
    if (const std::string service = ConnectionValue(asked, "service"); !service.empty()) {
      return "PostgreSQL service \"" + service + "\"";
    }
    host = ConnectionValue(asked, "host");
    if (host.empty()) host = ConnectionValue(asked, "hostaddr");
    port = ConnectionValue(asked, "port");
    dbname = ConnectionValue(asked, "dbname");
  }
  std::string text = "postgresql://" + host;
  if (!port.empty()) text += ":" + port;
  return text + "/" + dbname;
}

std::string LocalWorkFolder(const std::string& asked) {
  if (!IsServerDatabase(asked)) return DatabaseDirectory(asked);
  const std::string data = DatabaseDirectory("");
  if (data.empty()) return {};
  std::string name = DescribeServerDatabase(asked);
  for (char& c : name) {
    if (std::isalnum(static_cast<unsigned char>(c)) == 0 && c != '.' && c != '-') c = '_';
  }
  return data + "/servers/" + name;
}

}  // namespace blastsearch
