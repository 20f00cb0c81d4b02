#include <gtest/gtest.h>

#include <filesystem>

#include "host/UxMol.h"
#include "platform/File.h"
#include "platform/MappedFile.h"
#include "platform/Object.h"
#include "platform/UserInteraction.h"

TEST(RuntimeClass, CreatesRegisteredClassesByName) {
  const CRuntimeClass* cls = CRuntimeClass::FromName("CUxMol");
  ASSERT_NE(cls, nullptr);
  EXPECT_EQ(cls, RUNTIME_CLASS(CUxMol));
  EXPECT_EQ(cls->m_wSchema, 0xFFFFu);
  std::unique_ptr<CObject> obj(cls->CreateObject());
  ASSERT_NE(obj, nullptr);
  EXPECT_EQ(obj->GetRuntimeClass(), cls);
  EXPECT_TRUE(obj->IsKindOf(RUNTIME_CLASS(CObject)));
  EXPECT_EQ(CRuntimeClass::FromName("NoSuchClass"), nullptr);
  EXPECT_EQ(RUNTIME_CLASS(CObject)->CreateObject(), nullptr);
}

TEST(MemFile, ReadsWritesAndSeeks) {
  CMemFile file("abcdef");
  char buf[4] = {};
  EXPECT_EQ(file.Read(buf, 4), 4u);
  EXPECT_EQ(std::string(buf, 4), "abcd");
  EXPECT_EQ(file.Read(buf, 4), 2u);
  EXPECT_EQ(file.Read(buf, 4), 0u);
  file.Seek(-1, CFile::end);
  file.Write("XYZ", 3);
  EXPECT_EQ(file.Data(), "abcdeXYZ");
  EXPECT_THROW(file.Seek(-1, CFile::begin), CFileException);
}

TEST(DiskFile, RoundTripsAndNamesTheFileInErrors) {
  auto path = std::filesystem::temp_directory_path() / "blastsearch_platform_test.bin";
  {
    CFile out(path.string(), CFile::modeWrite | CFile::modeCreate);
    out.Write("hello", 5);
  }
  CFile in(path.string(), CFile::modeRead);
  EXPECT_EQ(in.GetLength(), 5u);
  char buf[8] = {};
  EXPECT_EQ(in.Read(buf, sizeof buf), 5u);
  CFileStatus status;
  EXPECT_TRUE(CFile::GetStatus(path.string(), status));
  EXPECT_EQ(status.m_size, 5u);
  std::filesystem::remove(path);
  EXPECT_FALSE(CFile::GetStatus(path.string(), status));
  try {
    CFile missing(path.string(), CFile::modeRead);
    FAIL() << "opening a missing file must throw";
  } catch (const CFileException& e) {
    EXPECT_NE(std::string(e.what()).find(path.string()), std::string::npos);
  }
}

TEST(ScriptedUserInteraction, RecordsMessagesAndAnswersFromScript) {
  CScriptedUserInteraction ui;
  ui.QueueAnswer(IDNO);
  EXPECT_EQ(AfxMessageBox("first", MB_ICONSTOP), IDNO);
  EXPECT_EQ(AfxMessageBox("second"), IDOK);
  ASSERT_EQ(ui.Messages().size(), 2u);
  EXPECT_EQ(ui.Messages()[0].strText, "first");
  EXPECT_EQ(ui.Messages()[0].nStyle, unsigned{MB_ICONSTOP});

  std::string path = "unchanged";
  EXPECT_EQ(UserInteraction().ChooseFile({}, path), IDCANCEL);
  EXPECT_EQ(path, "unchanged");
  ui.QueueFile("/tmp/x.htm");
  EXPECT_EQ(UserInteraction().ChooseFile({}, path), IDOK);
  EXPECT_EQ(path, "/tmp/x.htm");
}

TEST(ScriptedUserInteraction, RestoresPreviousServiceWhenDestroyed) {
  CUserInteraction* before = &UserInteraction();
  {
    CScriptedUserInteraction ui;
    EXPECT_EQ(&UserInteraction(), &ui);
  }
  EXPECT_EQ(&UserInteraction(), before);
}

TEST(MappedFile, ViewsWholeFilesEmptyFilesAndNamesMissingOnes) {
  auto path = std::filesystem::temp_directory_path() / "blastsearch_mapped_test.txt";
  {
    CFile out(path.string(), CFile::modeWrite | CFile::modeCreate);
    out.Write("Query= x\n", 9);
  }
  CMappedFile mapped;
  mapped.Open(path.string());
  EXPECT_EQ(mapped.View(), "Query= x\n");
  {
    CFile out(path.string(), CFile::modeWrite | CFile::modeCreate);
  }
  mapped.Open(path.string());
  EXPECT_TRUE(mapped.View().empty());
  std::filesystem::remove(path);
  EXPECT_THROW(mapped.Open(path.string()), CFileException);
  EXPECT_TRUE(mapped.View().empty());
}
