// The HTTP client on libcurl, which it loads when the first client is made.

#include "run/HttpClient.h"

#include <curl/curl.h>

#include "run/CurlLibrary.h"

namespace blastsearch {

namespace {

struct CTransfer {
  const std::function<bool(std::string_view)>* m_pSink;
  const volatile int* m_pStop;
  bool m_bSinkEnded = false;
};

extern "C" size_t WriteBody(char* data, size_t size, size_t count, void* context) {
  auto* transfer = static_cast<CTransfer*>(context);
  const std::size_t length = size * count;
  if (!(*transfer->m_pSink)(std::string_view(data, length))) {
    transfer->m_bSinkEnded = true;
    return 0;  // curl ends the transfer with a write error
  }
  return length;
}

extern "C" int OnProgress(void* context, curl_off_t, curl_off_t, curl_off_t, curl_off_t) {
  const auto* transfer = static_cast<CTransfer*>(context);
  return transfer->m_pStop != nullptr && *transfer->m_pStop != 0 ? 1 : 0;
}

class CCurlClient : public CHttpClient {
 public:
  explicit CCurlClient(const CHttpSettings& settings)
      : m_settings(settings), m_pCurl(SystemCurlLibrary(m_strLoadError)) {}

  bool Post(const std::string& url, const std::string& form,
            const std::function<bool(std::string_view)>& sink, std::string& error) override {
    if (m_pCurl == nullptr) {
      error = m_strLoadError;
      return false;
    }
    const CCurlLibrary& lib = *m_pCurl;
    CURL* curl = lib.m_pfnEasyInit();
    if (curl == nullptr) {
      error = "the HTTP client could not be made";
      return false;
    }
    CTransfer transfer{&sink, m_settings.m_pStop};
    char message[CURL_ERROR_SIZE] = "";
    lib.m_pfnEasySetopt(curl, CURLOPT_URL, url.c_str());
    lib.m_pfnEasySetopt(curl, CURLOPT_POSTFIELDS, form.c_str());
    lib.m_pfnEasySetopt(curl, CURLOPT_POSTFIELDSIZE_LARGE, static_cast<curl_off_t>(form.size()));
    lib.m_pfnEasySetopt(curl, CURLOPT_WRITEFUNCTION, WriteBody);
    lib.m_pfnEasySetopt(curl, CURLOPT_WRITEDATA, &transfer);
    lib.m_pfnEasySetopt(curl, CURLOPT_XFERINFOFUNCTION, OnProgress);
    lib.m_pfnEasySetopt(curl, CURLOPT_XFERINFODATA, &transfer);
    lib.m_pfnEasySetopt(curl, CURLOPT_NOPROGRESS, 0L);
    lib.m_pfnEasySetopt(curl, CURLOPT_ERRORBUFFER, message);
    lib.m_pfnEasySetopt(curl, CURLOPT_CONNECTTIMEOUT, m_settings.m_nConnectTimeout);
    lib.m_pfnEasySetopt(curl, CURLOPT_LOW_SPEED_LIMIT, 1L);
    lib.m_pfnEasySetopt(curl, CURLOPT_LOW_SPEED_TIME, m_settings.m_nStallTimeout);
    lib.m_pfnEasySetopt(curl, CURLOPT_NOSIGNAL, 1L);
    lib.m_pfnEasySetopt(curl, CURLOPT_FOLLOWLOCATION, 1L);
    lib.m_pfnEasySetopt(curl, CURLOPT_MAXREDIRS, 5L);
    lib.m_pfnEasySetopt(curl, CURLOPT_USERAGENT, "blastsearch");
    lib.m_pfnEasySetopt(curl, CURLOPT_ACCEPT_ENCODING, "");  // any encoding curl can undo
    // No "Expect: 100-continue" round trip before a large form.
    curl_slist* headers = lib.m_pfnSlistAppend(nullptr, "Expect:");
    lib.m_pfnEasySetopt(curl, CURLOPT_HTTPHEADER, headers);
    const CURLcode code = lib.m_pfnEasyPerform(curl);
    long status = 0;
    lib.m_pfnEasyGetinfo(curl, CURLINFO_RESPONSE_CODE, &status);
    lib.m_pfnEasyCleanup(curl);
    lib.m_pfnSlistFreeAll(headers);
    if (code == CURLE_ABORTED_BY_CALLBACK) {
      error = "stopped";
      return false;
    }
    if (code != CURLE_OK && !transfer.m_bSinkEnded) {
      error = message[0] != '\0' ? message : lib.m_pfnEasyStrerror(code);
      return false;
    }
    if (transfer.m_bSinkEnded) {
      error = "the answer was not taken";
      return false;
    }
    if (status != 200) {
      error = "the server answered with HTTP status " + std::to_string(status);
      return false;
    }
    return true;
  }

 private:
  CHttpSettings m_settings;
  std::string m_strLoadError;   // why libcurl could not be loaded
  const CCurlLibrary* m_pCurl;  // the loaded libcurl, not owned; null when it failed
};

void Encode(std::string& form, std::string_view text) {
  static const char kHex[] = "0123456789ABCDEF";
  for (const char c : text) {
    const auto byte = static_cast<unsigned char>(c);
    if ((byte >= 'a' && byte <= 'z') || (byte >= 'A' && byte <= 'Z') ||
        (byte >= '0' && byte <= '9') || c == '-' || c == '.' || c == '_' || c == '~') {
      form += c;
    } else if (c == ' ') {
      form += '+';
    } else {
      form += '%';
      form += kHex[byte >> 4];
      form += kHex[byte & 15];
    }
  }
}

}  // namespace

std::unique_ptr<CHttpClient> MakeCurlClient(const CHttpSettings& settings) {
  return std::make_unique<CCurlClient>(settings);
}

void AddFormField(std::string& form, std::string_view name, std::string_view value) {
  if (!form.empty()) form += '&';
  Encode(form, name);
  form += '=';
  Encode(form, value);
}

}  // namespace blastsearch
