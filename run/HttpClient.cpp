// The HTTP client on libcurl.

#include "run/HttpClient.h"

#include <curl/curl.h>

#include <mutex>

namespace {

void InitCurlOnce() {
  static std::once_flag once;
  std::call_once(once, [] { curl_global_init(CURL_GLOBAL_DEFAULT); });
}

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
  explicit CCurlClient(const CHttpSettings& settings) : m_settings(settings) { InitCurlOnce(); }

  bool Post(const std::string& url, const std::string& form,
            const std::function<bool(std::string_view)>& sink, std::string& error) override {
    CURL* curl = curl_easy_init();
    if (curl == nullptr) {
      error = "the HTTP client could not be made";
      return false;
    }
    CTransfer transfer{&sink, m_settings.m_pStop};
    char message[CURL_ERROR_SIZE] = "";
    curl_easy_setopt(curl, CURLOPT_URL, url.c_str());
    curl_easy_setopt(curl, CURLOPT_POSTFIELDS, form.c_str());
    curl_easy_setopt(curl, CURLOPT_POSTFIELDSIZE_LARGE, static_cast<curl_off_t>(form.size()));
    curl_easy_setopt(curl, CURLOPT_WRITEFUNCTION, WriteBody);
    curl_easy_setopt(curl, CURLOPT_WRITEDATA, &transfer);
    curl_easy_setopt(curl, CURLOPT_XFERINFOFUNCTION, OnProgress);
    curl_easy_setopt(curl, CURLOPT_XFERINFODATA, &transfer);
    curl_easy_setopt(curl, CURLOPT_NOPROGRESS, 0L);
    curl_easy_setopt(curl, CURLOPT_ERRORBUFFER, message);
    curl_easy_setopt(curl, CURLOPT_CONNECTTIMEOUT, m_settings.m_nConnectTimeout);
    curl_easy_setopt(curl, CURLOPT_LOW_SPEED_LIMIT, 1L);
    curl_easy_setopt(curl, CURLOPT_LOW_SPEED_TIME, m_settings.m_nStallTimeout);
    curl_easy_setopt(curl, CURLOPT_NOSIGNAL, 1L);
    curl_easy_setopt(curl, CURLOPT_FOLLOWLOCATION, 1L);
    curl_easy_setopt(curl, CURLOPT_MAXREDIRS, 5L);
    curl_easy_setopt(curl, CURLOPT_USERAGENT, "blastsearch");
    curl_easy_setopt(curl, CURLOPT_ACCEPT_ENCODING, "");  // any encoding curl can undo
    // No "Expect: 100-continue" round trip before a large form.
    curl_slist* headers = curl_slist_append(nullptr, "Expect:");
    curl_easy_setopt(curl, CURLOPT_HTTPHEADER, headers);
    const CURLcode code = curl_easy_perform(curl);
    long status = 0;
    curl_easy_getinfo(curl, CURLINFO_RESPONSE_CODE, &status);
    curl_easy_cleanup(curl);
    curl_slist_free_all(headers);
    if (code == CURLE_ABORTED_BY_CALLBACK) {
      error = "stopped";
      return false;
    }
    if (code != CURLE_OK && !transfer.m_bSinkEnded) {
      error = message[0] != '\0' ? message : curl_easy_strerror(code);
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
