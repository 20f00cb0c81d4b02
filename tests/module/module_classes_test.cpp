// The run-time class records of an extension library, as the host's
// by-name search meets them: found while the library is loaded, records of
// that library, and gone once it is unloaded; the host's own stay.
#include <dlfcn.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "platform/ExtensionModule.h"
#include "platform/Object.h"

namespace blastsearch {

namespace {

struct SLibraryClasses {
  const char* m_szFile;                // the library loaded
  std::vector<std::string> m_classes;  // records it brings (its own or its dependency's)
};

const std::vector<SLibraryClasses> kLibraries = {
    {BLASTSEARCH_MODULE_FILE,
     {"CBlastSearchEntry", "CBlastSearchHit", "CBlastSearchHits", "CStringVDataStorage"}},
#ifdef BLASTSEARCH_WINDOWS_FILE
    // The windows library pulls the extension library in with it.
    {BLASTSEARCH_WINDOWS_FILE, {"CCoolPropertySheet", "CBlastSearchEntry"}},
#endif
};

std::string FileName(const std::string& path) {
  return std::filesystem::path(path).filename().string();
}

}  // namespace

TEST(ModuleClasses, FoundWhileTheLibraryIsLoadedAndGoneAfter) {
  const CRuntimeClass* host = CRuntimeClass::FromName("CUxMol");
  ASSERT_NE(host, nullptr) << "the host's own records are always found";
  for (const SLibraryClasses& library : kLibraries) {
    SCOPED_TRACE(library.m_szFile);
    for (const std::string& name : library.m_classes) {
      ASSERT_EQ(CRuntimeClass::FromName(name), nullptr) << name << ": the program links no module";
    }
    // Twice: a library loaded again finds its records entered again.
    for (int round = 0; round < 2; ++round) {
      SCOPED_TRACE(round);
      void* handle = ::dlopen(library.m_szFile, RTLD_NOW | RTLD_LOCAL);
      ASSERT_NE(handle, nullptr) << ::dlerror();
      for (const std::string& name : library.m_classes) {
        const CRuntimeClass* cls = CRuntimeClass::FromName(name);
        ASSERT_NE(cls, nullptr) << name;
        EXPECT_EQ(cls->m_lpszClassName, name);
        // The record is the library's own, held by the module's record.
        const std::string owner = FileName(GetModuleFileName(cls));
        EXPECT_TRUE(owner.find("libblastsearch") == 0) << name << " in " << owner;
      }
      EXPECT_EQ(CRuntimeClass::FromName("CUxMol"), host);
      ASSERT_EQ(::dlclose(handle), 0) << ::dlerror();
      for (const std::string& name : library.m_classes) {
        EXPECT_EQ(CRuntimeClass::FromName(name), nullptr) << name << " outlived its library";
      }
      EXPECT_EQ(CRuntimeClass::FromName("CUxMol"), host);
      EXPECT_TRUE(ExtensionModulePaths().empty());
    }
  }
}

}  // namespace blastsearch
