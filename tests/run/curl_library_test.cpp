// libcurl loaded by name when the HTTP client first needs it: a file that
// can't be loaded or is not libcurl is refused with a message naming it; the
// system's libcurl is found with every call the client makes.

#include <gtest/gtest.h>

#include <string>

#include "run/CurlLibrary.h"

namespace blastsearch {

namespace {

struct SLoadCase {
  const char* m_szFile;
  bool m_bLoads;
  const char* m_szErrorPart;  // expected in the error when it does not load
};

const SLoadCase kLoadCases[] = {
    {kCurlLibraryFile, true, ""},
    {"libcurl-not-here.so.4", false, "libcurl-not-here.so.4 could not be loaded: "},
    {"/nonexistent/libcurl.so.4", false, "/nonexistent/libcurl.so.4 could not be loaded"},
    // A real library without curl's calls: the first missing call is named.
    {"libm.so.6", false, "libm.so.6 is not a usable libcurl: it lacks curl_global_init"},
};

}  // namespace

TEST(CurlLibrary, LoadsLibcurlAndNamesWhatIsWrongWithAnyOtherFile) {
  for (const SLoadCase& c : kLoadCases) {
    SCOPED_TRACE(c.m_szFile);
    std::string error;
    const std::unique_ptr<CCurlLibrary> library = LoadCurlLibrary(c.m_szFile, error);
    ASSERT_EQ(library != nullptr, c.m_bLoads) << error;
    if (!c.m_bLoads) {
      EXPECT_NE(error.find(c.m_szErrorPart), std::string::npos) << error;
      continue;
    }
    EXPECT_TRUE(error.empty()) << error;
    ASSERT_NE(library->m_pfnEasyInit, nullptr);
    // A handle made and freed through the loaded calls.
    CURL* curl = library->m_pfnEasyInit();
    ASSERT_NE(curl, nullptr);
    EXPECT_EQ(library->m_pfnEasySetopt(curl, CURLOPT_URL, "http://127.0.0.1:9/"), CURLE_OK);
    EXPECT_STREQ(library->m_pfnEasyStrerror(CURLE_OK), "No error");
    library->m_pfnEasyCleanup(curl);
  }
}

TEST(CurlLibrary, TheSystemLibraryIsLoadedOnceForTheProcess) {
  std::string error;
  const CCurlLibrary* first = SystemCurlLibrary(error);
  ASSERT_NE(first, nullptr) << error;
  EXPECT_EQ(SystemCurlLibrary(error), first);
  EXPECT_TRUE(error.empty()) << error;
}

}  // namespace blastsearch
