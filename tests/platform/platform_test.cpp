#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>

#include "host/UxMol.h"
#include "platform/File.h"
#include "platform/InputFile.h"
#include "platform/Object.h"
#include "platform/ReplacingFile.h"
#include "platform/UserInteraction.h"

namespace blastsearch {

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

  // Handing the bytes over leaves an empty file, written again from its start.
  file.Reserve(100);
  EXPECT_EQ(file.TakeData(), "abcdeXYZ");
  EXPECT_EQ(file.GetLength(), 0u);
  file.Write("new", 3);
  EXPECT_EQ(file.Data(), "new");
  EXPECT_EQ(file.GetPosition(), 3u);
}

// The two files over bytes in memory seek and read alike: from each origin,
// past the end (reading nothing there), and never before the start (refused,
// the position kept).
TEST(InMemoryFiles, SeekAndReadAlike) {
  const std::string bytes = "0123456789";
  struct Step {
    std::int64_t offset;
    CFile::SeekPosition from;
    long long position;  // after the seek; -1: refused
    std::size_t read;
    const char* got;
  };
  const Step steps[] = {
      {3, CFile::begin, 3, 4, "3456"}, {-2, CFile::current, 5, 2, "56"},
      {-3, CFile::end, 7, 9, "789"},   {0, CFile::current, 10, 4, ""},
      {5, CFile::end, 15, 1, ""},      {-16, CFile::current, -1, 2, ""},
      {-11, CFile::end, -1, 0, ""},    {-10, CFile::end, 0, 2, "01"},
      {-1, CFile::begin, -1, 1, "2"},  {0, CFile::end, 10, 1, ""},
  };
  CMemFile memory(bytes);
  CByteViewFile view(bytes, "view");
  for (CFile* file : {static_cast<CFile*>(&memory), static_cast<CFile*>(&view)}) {
    for (const Step& step : steps) {
      SCOPED_TRACE(std::to_string(step.offset) + " from " + std::to_string(step.from));
      const std::uint64_t before = file->GetPosition();
      if (step.position < 0) {
        EXPECT_THROW(file->Seek(step.offset, step.from), CFileException);
        EXPECT_EQ(file->GetPosition(), before);
      } else {
        EXPECT_EQ(file->Seek(step.offset, step.from), static_cast<std::uint64_t>(step.position));
      }
      char buffer[16] = {};
      const std::size_t n = file->Read(buffer, step.read);
      EXPECT_EQ(std::string(buffer, n), step.got);
    }
  }
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

namespace {

namespace fs = std::filesystem;

// A folder of its own for one test, removed with everything in it.
class ScratchDir {
 public:
  ScratchDir()
      : m_path(fs::temp_directory_path() / ("blastsearch_platform_" + std::to_string(::getpid()))) {
    fs::create_directories(m_path);
  }
  ~ScratchDir() { fs::remove_all(m_path); }
  std::string File(const std::string& name, const std::string& content) const {
    std::ofstream(m_path / name, std::ios::binary) << content;
    return (m_path / name).string();
  }
  std::string Read(const std::string& name) const {
    std::ifstream in(m_path / name, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
  }
  std::size_t Entries() const {
    return static_cast<std::size_t>(std::distance(fs::directory_iterator(m_path), {}));
  }
  const fs::path& Path() const { return m_path; }

 private:
  fs::path m_path;
};

}  // namespace

TEST(InputFile, ReadsFilesWholeInSteps) {
  ScratchDir dir;
  const std::string text(300000, 'x');
  CInputFile input;
  ASSERT_TRUE(input.Open(dir.File("report.txt", text)));
  EXPECT_EQ(input.GetOpenedLength(), text.size());
  EXPECT_EQ(input.Read(1000, nullptr), CInputFile::readFull);
  EXPECT_GE(input.View().size(), 1000u);
  EXPECT_EQ(input.Read(UINT64_MAX, nullptr), CInputFile::readEnded);
  EXPECT_EQ(input.View(), text);

  ASSERT_TRUE(input.Open(dir.File("empty.txt", "")));
  EXPECT_EQ(input.Read(100, nullptr), CInputFile::readEnded);
  EXPECT_TRUE(input.View().empty());
}

// A file cut short or grown after it was opened gives the bytes that are
// there when they are read; a mapping of it would have crashed the reader.
TEST(InputFile, FileChangedUnderTheReaderGivesTheBytesThereNoCrash) {
  ScratchDir dir;
  const std::string path = dir.File("shrinks.txt", std::string(1 << 20, 'a'));
  CInputFile input;
  ASSERT_TRUE(input.Open(path));
  ASSERT_EQ(input.Read(4096, nullptr), CInputFile::readFull);
  fs::resize_file(path, 10000);
  EXPECT_EQ(input.Read(UINT64_MAX, nullptr), CInputFile::readEnded);
  EXPECT_EQ(input.View().size(), 10000u);

  ASSERT_TRUE(input.Open(path));
  std::ofstream(path, std::ios::binary | std::ios::app) << std::string(5000, 'b');
  EXPECT_EQ(input.Read(UINT64_MAX, nullptr), CInputFile::readEnded);
  EXPECT_EQ(input.View().size(), 15000u);
}

// One object reading file after file: small, large, grown past the size of
// ordinary memory while it is read, small again; every input's bytes whole.
TEST(InputFile, ReadsOneFileAfterAnotherWhateverTheirSizes) {
  ScratchDir dir;
  std::string large(3 << 20, 'L');
  large[12345] = 'x';
  const std::string growing = dir.File("growing.txt", std::string(100000, 'g'));
  CInputFile input;
  ReadWholeFile(dir.File("small.txt", "first"), input);
  EXPECT_EQ(input.View(), "first");
  ReadWholeFile(dir.File("large.txt", large), input);
  EXPECT_EQ(input.View(), large);
  ReadWholeFile(dir.File("second.txt", "second"), input);
  EXPECT_EQ(input.View(), "second");

  ASSERT_TRUE(input.Open(growing));
  ASSERT_EQ(input.Read(1000, nullptr), CInputFile::readFull);
  std::ofstream(growing, std::ios::binary | std::ios::app) << std::string(2 << 20, 'h');
  EXPECT_EQ(input.Read(UINT64_MAX, nullptr), CInputFile::readEnded);
  EXPECT_EQ(input.View(), std::string(100000, 'g') + std::string(2 << 20, 'h'));

  ReadWholeFile(dir.File("third.txt", "third"), input);
  EXPECT_EQ(input.View(), "third");
  // A small input handed to a reader is read whole, whatever it seeks.
  CInputBytesFile bytes(input);
  char buffer[8] = {};
  EXPECT_EQ(bytes.Read(buffer, sizeof buffer), 5u);
  bytes.Seek(0, CFile::begin);
  EXPECT_EQ(bytes.Read(buffer, 2), 2u);
  EXPECT_EQ(std::string(buffer, 2), "th");
}

// The reader's copy takes the place of the input's bytes: read once, in order.
TEST(InputFile, HandsItsBytesOverOnceToAReaderThatCopiesThem) {
  ScratchDir dir;
  std::string text(10 << 20, 'x');
  for (std::size_t i = 0; i < text.size(); i += 4093) text[i] = static_cast<char>('a' + i % 26);
  CInputFile input;
  ASSERT_TRUE(input.Open(dir.File("report.txt", text)));
  ASSERT_EQ(input.Read(UINT64_MAX, nullptr), CInputFile::readEnded);
  CInputBytesFile file(input);
  ASSERT_EQ(file.GetLength(), text.size());
  std::string copy(text.size(), '\0');
  EXPECT_EQ(file.Read(copy.data(), 100), 100u);
  EXPECT_EQ(file.Read(copy.data() + 100, copy.size()), copy.size() - 100);
  EXPECT_EQ(copy, text);
  EXPECT_THROW(file.Seek(0, CFile::begin), CFileException);
}

TEST(ReplacingFile, TargetChangesOnCommitKeepingItsPermissionsAndLinks) {
  ScratchDir dir;
  const std::string target = dir.File("r.bqt", "old");
  ::chmod(target.c_str(), 0640);
  fs::create_symlink(target, dir.Path() / "link.bqt");
  CReplacingFile file;
  ASSERT_TRUE(file.Create((dir.Path() / "link.bqt").string()));
  file.Write("new", 3);
  EXPECT_EQ(dir.Read("r.bqt"), "old");
  file.Commit();
  EXPECT_EQ(dir.Read("r.bqt"), "new");
  EXPECT_TRUE(fs::is_symlink(dir.Path() / "link.bqt"));
  EXPECT_EQ(fs::status(target).permissions() & fs::perms::all,
            fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
  EXPECT_EQ(dir.Entries(), 2u);
}

}  // namespace blastsearch
