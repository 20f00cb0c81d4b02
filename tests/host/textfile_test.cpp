#include <gtest/gtest.h>

#include <filesystem>

#include "host/KaArchive.h"
#include "host/OrvFileSpec.h"
#include "host/OrvMessageBox.h"
#include "host/OrvTextFile.h"
#include "host/UxMol.h"
#include "platform/UserInteraction.h"

namespace blastsearch {

namespace {

class TextFileTest : public ::testing::Test {
 protected:
  void SetUp() override {
    m_dir = std::filesystem::temp_directory_path() /
            ("blastsearch_textfile_" +
             std::to_string(::testing::UnitTest::GetInstance()->random_seed()) + "_" +
             ::testing::UnitTest::GetInstance()->current_test_info()->name());
    std::filesystem::create_directories(m_dir);
    m_spec = COrvFileSpec((m_dir / "file.txt").string());
  }
  void TearDown() override { std::filesystem::remove_all(m_dir); }

  void WriteRaw(const std::string& bytes) {
    CFile out(m_spec.GetPath(), CFile::modeWrite | CFile::modeCreate);
    out.Write(bytes.data(), bytes.size());
  }

  std::filesystem::path m_dir;
  COrvFileSpec m_spec;
};

TEST_F(TextFileTest, ArchiveBytesSitInsideTheText) {
  CUxMol mol;
  mol.m_strName = "with\nnewline and @1:";  // text-like bytes inside the archive
  mol.m_xData.SetData(std::string("\n\0\r", 3));
  {
    COrvTextFile file(m_spec);
    ASSERT_TRUE(file.OpenOutput(0));
    file.WriteString("header\n");
    WriteSeparator(2008, file);
    CKaArchive ar(file.CheckOutFilePtr(), 0);
    ar.XData(nullptr, &mol, 1);
    EXPECT_THROW(file.WriteString("x"), CFileException);  // checked out
    file.CheckInFilePtr();
    file.WriteString("\n");
    file.WriteString("trailer\n");
  }
  COrvTextFile file(m_spec);
  ASSERT_TRUE(file.OpenInput(0));
  std::string line;
  ASSERT_TRUE(file.ReadString(line));
  EXPECT_EQ(line, "header");
  int field = 0;
  ASSERT_TRUE(ReadSeparator(file, field));
  EXPECT_EQ(field, 2008);
  CUxMol back;
  {
    CKaArchive ar(file.CheckOutFilePtr(), 1);
    ar.XData(nullptr, &back, 1);
    file.CheckInFilePtr();
  }
  EXPECT_EQ(back.m_strName, mol.m_strName);
  EXPECT_EQ(back.m_xData.GetData(), mol.m_xData.GetData());
  ASSERT_TRUE(file.ReadString(line));  // the newline after the archive
  EXPECT_EQ(line, "");
  ASSERT_TRUE(file.ReadString(line));
  EXPECT_EQ(line, "trailer");
  EXPECT_FALSE(file.ReadString(line));
}

TEST_F(TextFileTest, ReadSeparatorMatchesOnlyWholeSeparators) {
  struct Case {
    const char* text;
    int matched;
    int field;
  } cases[] = {
      {"@2008:rest", 1, 2008}, {"@-5:rest", 1, -5}, {"@0:", 1, 0},   {"@12x:rest", 0, 0},
      {"@:rest", 0, 0},        {"@12", 0, 0},       {"x@12:", 0, 0}, {"@+3:", 0, 0},
      {"@99999999999:", 0, 0}, {"@ 3:", 0, 0},      {"", 0, 0},
  };
  for (const Case& c : cases) {
    WriteRaw(c.text);
    COrvTextFile file(m_spec);
    ASSERT_TRUE(file.OpenInput(0));
    int field = 0;
    EXPECT_EQ(ReadSeparator(file, field), c.matched) << c.text;
    EXPECT_EQ(field, c.field) << c.text;
    std::string rest;
    file.ReadString(rest);
    std::string text = c.text;
    EXPECT_EQ(rest, c.matched ? text.substr(text.find(':') + 1) : text) << c.text;
  }
}

TEST_F(TextFileTest, CommentDataIsOneTextPerLine) {
  WriteRaw("first\r\n\nthird with @2008: inside\nlast without newline");
  COrvTextFile file(m_spec);
  ASSERT_TRUE(file.OpenInput(0));
  std::vector<std::string> comments = {"kept"};
  ReadCommentData(file, &comments);
  EXPECT_EQ(comments, (std::vector<std::string>{"kept", "first", "", "third with @2008: inside",
                                                "last without newline"}));
  ReadCommentData(file, nullptr);  // nothing left, no list: no harm
}

TEST_F(TextFileTest, OpeningAndMisuse) {
  COrvTextFile missing(COrvFileSpec((m_dir / "none" / "x.txt").string()));
  EXPECT_EQ(missing.OpenInput(0), 0);
  EXPECT_EQ(missing.OpenOutput(0), 0);
  std::string line;
  EXPECT_THROW(missing.ReadString(line), CFileException);
  EXPECT_THROW(missing.CheckOutFilePtr(), CFileException);

  {
    COrvTextFile out(m_spec);
    ASSERT_TRUE(out.OpenOutput(0));
    out.WriteString("one\n");
    EXPECT_THROW(out.ReadString(line), CFileException);
  }
  {
    COrvTextFile out(m_spec);
    ASSERT_TRUE(out.OpenOutput(COrvTextFile::modeAppend));
    out.WriteString("two\n");
  }
  COrvTextFile in(m_spec);
  ASSERT_TRUE(in.OpenInput(0));
  EXPECT_THROW(in.WriteString("x"), CFileException);
  std::vector<std::string> lines;
  ReadCommentData(in, &lines);
  EXPECT_EQ(lines, (std::vector<std::string>{"one", "two"}));
}

TEST(OrvFileSpec, BuildsPathsFromDirectoryNameAndType) {
  OrvRegisterFileTypeExtension(9101, ".ba6");
  EXPECT_EQ(COrvFileSpec(COrvDirSpec("/db"), "DBInit", 9101).GetPath(), "/db/DBInit.ba6");
  EXPECT_EQ(COrvFileSpec(COrvDirSpec("/db/"), "DBInit", 9101).GetPath(), "/db/DBInit.ba6");
  EXPECT_EQ(COrvFileSpec(COrvDirSpec("/db"), "plain", 9999).GetPath(), "/db/plain");
  EXPECT_EQ(COrvFileSpec().IsSpecSet(), 0);

  COrvDirSpec saved = MAINDIR;
  MAINDIR.SetDir("");
  EXPECT_EQ(MAINDIR.IsSpecSet(), 0);
  MAINDIR.SetDir("/main");
  EXPECT_NE(MAINDIR.IsSpecSet(), 0);
  MAINDIR = saved;
}

TEST(OrvMessageBox, ShowsTheTextWithItsStyle) {
  CScriptedUserInteraction ui;
  ui.QueueAnswer(IDCANCEL);
  EXPECT_EQ(OrvMessageBox("Data File can't be opened", MB_ICONSTOP, 0), IDCANCEL);
  OrvMessageBox(nullptr, MB_ICONINFORMATION, 0);
  ASSERT_EQ(ui.Messages().size(), 2u);
  EXPECT_EQ(ui.Messages()[0].strText, "Data File can't be opened");
  EXPECT_EQ(ui.Messages()[0].nStyle, unsigned{MB_ICONSTOP});
  EXPECT_EQ(ui.Messages()[1].strText, "");
  EXPECT_EQ(ui.Messages()[1].nStyle, unsigned{MB_ICONINFORMATION});
}

}  // namespace

}  // namespace blastsearch
