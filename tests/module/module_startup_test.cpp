// The extension library as the host meets it: loaded by name at run time
// into a program that does not link it, and unloaded again.
#include <dlfcn.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "host/FileTypesTable.h"
#include "host/OrvFileSpec.h"
#include "host/RttiLink.h"
#include "host/db/DBEngine.h"
#include "host/db/DBTableBase.h"
#include "platform/ExtensionModule.h"
#include "platform/RegisteredMessage.h"
#include "platform/RegistrationLog.h"

namespace blastsearch {

namespace {

const std::string kModuleFile = BLASTSEARCH_MODULE_FILE;
const std::string kModuleName = std::filesystem::path(kModuleFile).filename().string();

std::vector<std::string> NotesSince(unsigned long stamp) {
  std::vector<std::string> notes;
  for (const CRegistrationNote& note : RegistrationsSince(stamp)) notes.push_back(note.m_strWhat);
  return notes;
}

const std::vector<std::string> kArchiveLinks = {
    "SeqComponent", "~HitElement~", "~HitMolName~", "~Hit~", "~Hits~", "~Entry~", "~Data~"};

std::vector<std::string> ExpectedLoadNotes(bool messageIsNew) {
  std::vector<std::string> notes;
  if (messageIsNew) notes.push_back("window message CCoolPropertySheet check notify msg");
  for (const std::string& link : kArchiveLinks) notes.push_back("archive link " + link);
  notes.push_back("table 201");
  for (int type = 100; type <= 103; ++type) notes.push_back("file type " + std::to_string(type));
  notes.push_back("extension module " + kModuleName);
  return notes;
}

std::vector<std::string> ExpectedUnloadNotes() {
  std::vector<std::string> notes = {"extension module " + kModuleName + " removed"};
  for (int type = 100; type <= 103; ++type) {
    notes.push_back("file type " + std::to_string(type) + " removed");
  }
  notes.push_back("table 201 removed");
  for (auto link = kArchiveLinks.rbegin(); link != kArchiveLinks.rend(); ++link) {
    notes.push_back("archive link " + *link + " removed");
  }
  return notes;
}

}  // namespace

TEST(ModuleStartup, ObjectsAreMadeInOrderAndUnloadingUnregistersThem) {
  ASSERT_EQ(engine().TableByID(201), nullptr) << "the test program must not link the module";
  const std::string message = "CCoolPropertySheet check notify msg";
  // Twice: a module loaded again after an unload starts up as the first time
  // (only the window message stays registered, as the system keeps it).
  for (int round = 0; round < 2; ++round) {
    SCOPED_TRACE(round);
    const bool messageIsNew = FindWindowMessage(message) == 0;
    const unsigned long before = LastRegistrationStamp();
    void* module = ::dlopen(kModuleFile.c_str(), RTLD_NOW | RTLD_LOCAL);
    ASSERT_NE(module, nullptr) << ::dlerror();
    EXPECT_EQ(NotesSince(before), ExpectedLoadNotes(messageIsNew));
    EXPECT_NE(FindWindowMessage(message), 0);

    CDBTableBase* table = engine().TableByID(201);
    ASSERT_NE(table, nullptr);
    EXPECT_EQ(table->tableobjtype(), 15);
    EXPECT_EQ(engine().ObjtypeToObjtable(15), 201);
    ASSERT_NE(UX_RTTI_LINK::FromName("~Entry~"), nullptr);
    CFileTypeEntry entry;
    ASSERT_TRUE(_FileTypesTable().Find(101, entry));
    EXPECT_EQ(entry.m_strExtension, ".ba6");
    EXPECT_EQ(entry.m_strShellClass, "QLONBLASTSearchArc");
    EXPECT_EQ(entry.m_strFourCC1, "QLbs");
    EXPECT_EQ(OrvFileTypeExtension(102), ".bq");
    ASSERT_EQ(ExtensionModulePaths().size(), 1u);
    EXPECT_EQ(std::filesystem::path(ExtensionModulePaths()[0]).filename(), kModuleName);
    // The host registers the same message under the same number, without a
    // new registration.
    const unsigned long loaded = LastRegistrationStamp();
    EXPECT_EQ(RegisterWindowMessage(message), FindWindowMessage(message));
    EXPECT_EQ(LastRegistrationStamp(), loaded);

    ASSERT_EQ(::dlclose(module), 0);
    EXPECT_EQ(NotesSince(loaded), ExpectedUnloadNotes());
    EXPECT_EQ(engine().TableByID(201), nullptr);
    EXPECT_EQ(UX_RTTI_LINK::FromName("~Entry~"), nullptr);
    EXPECT_FALSE(_FileTypesTable().Find(100, entry));
    EXPECT_TRUE(ExtensionModulePaths().empty());
  }
}

}  // namespace blastsearch
