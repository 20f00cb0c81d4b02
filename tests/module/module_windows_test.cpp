// The extension's windows as the host meets them: a library of their own,
// loaded by name beside (or without) the extension library. While it is
// loaded the engine knows the viewer of results; the extension library
// alone brings no windows.
#include <dlfcn.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "host/db/DBEngine.h"
#include "platform/ExtensionModule.h"

namespace blastsearch {

namespace {

// The object type of BLAST results and the table that stores them.
constexpr int kResultType = 15;
constexpr int kTableId = 201;

enum class EStep { OpenExtension, OpenWindows, CloseExtension, CloseWindows };

struct SStep {
  EStep m_eStep;
  bool m_bTable;   // the extension's table is registered afterwards
  bool m_bViewer;  // the viewer of results is registered afterwards
};

struct SOrder {
  const char* m_szName;
  std::vector<SStep> m_steps;
};

const std::vector<SOrder> kOrders = {
    {"windows alone pull the extension in",
     {{EStep::OpenWindows, true, true}, {EStep::CloseWindows, false, false}}},
    {"extension first, windows closed first",
     {{EStep::OpenExtension, true, false},
      {EStep::OpenWindows, true, true},
      {EStep::CloseWindows, true, false},
      {EStep::CloseExtension, false, false}}},
    {"windows first, extension closed first",
     {{EStep::OpenWindows, true, true},
      {EStep::OpenExtension, true, true},
      {EStep::CloseExtension, true, true},
      {EStep::CloseWindows, false, false}}},
};

}  // namespace

TEST(ModuleWindows, TheViewerComesAndGoesWithTheWindowLibraryOnly) {
  ASSERT_EQ(engine().TableByID(kTableId), nullptr) << "the test program must not link the module";
  for (const SOrder& order : kOrders) {
    SCOPED_TRACE(order.m_szName);
    void* extension = nullptr;
    void* windows = nullptr;
    for (size_t i = 0; i < order.m_steps.size(); ++i) {
      SCOPED_TRACE(i);
      const SStep& step = order.m_steps[i];
      switch (step.m_eStep) {
        case EStep::OpenExtension:
          extension = ::dlopen(BLASTSEARCH_MODULE_FILE, RTLD_NOW | RTLD_LOCAL);
          ASSERT_NE(extension, nullptr) << ::dlerror();
          break;
        case EStep::OpenWindows:
          windows = ::dlopen(BLASTSEARCH_WINDOWS_FILE, RTLD_NOW | RTLD_LOCAL);
          ASSERT_NE(windows, nullptr) << ::dlerror();
          break;
        case EStep::CloseExtension:
          ASSERT_NE(extension, nullptr);
          ASSERT_EQ(::dlclose(extension), 0) << ::dlerror();
          break;
        case EStep::CloseWindows:
          ASSERT_NE(windows, nullptr);
          ASSERT_EQ(::dlclose(windows), 0) << ::dlerror();
          break;
      }
      EXPECT_EQ(engine().TableByID(kTableId) != nullptr, step.m_bTable);
      EXPECT_EQ(engine().HasObjectViewer(kResultType) != 0, step.m_bViewer);
    }
    EXPECT_TRUE(ExtensionModulePaths().empty());
  }
}

}  // namespace blastsearch
