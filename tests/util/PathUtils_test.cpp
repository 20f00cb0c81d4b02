#include "util/PathUtils.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <string>

namespace blastsearch {

namespace fs = std::filesystem;

namespace {

struct SplitCase {
  const char* path;
  const char* drive;
  const char* dir;
  const char* name;
  const char* ext;
};

class SplitCases : public ::testing::TestWithParam<SplitCase> {};

TEST_P(SplitCases, CutsDriveDirectoryNameAndExtension) {
  const SplitCase& c = GetParam();
  CPathParts parts = SplitPath(c.path);
  EXPECT_EQ(parts.m_strDrive, c.drive) << c.path;
  EXPECT_EQ(parts.m_strDir, c.dir) << c.path;
  EXPECT_EQ(parts.m_strName, c.name) << c.path;
  EXPECT_EQ(parts.m_strExt, c.ext) << c.path;
  EXPECT_EQ(GetFileDir(c.path), std::string(c.drive) + c.dir) << c.path;
  EXPECT_EQ(GetFileNameExt(c.path), std::string(c.name) + c.ext) << c.path;
}

INSTANTIATE_TEST_SUITE_P(
    Paths, SplitCases,
    ::testing::Values(SplitCase{"C:\\dir1\\dir2\\file.txt", "C:", "\\dir1\\dir2\\", "file", ".txt"},
                      SplitCase{"c:/a/b/f.tar.gz", "c:", "/a/b/", "f.tar", ".gz"},
                      SplitCase{"/usr/lib/libx.so", "", "/usr/lib/", "libx", ".so"},
                      SplitCase{"a\\b/c", "", "a\\b/", "c", ""},
                      SplitCase{"file", "", "", "file", ""}, SplitCase{"", "", "", "", ""},
                      SplitCase{"C:", "C:", "", "", ""},
                      SplitCase{"C:file.txt", "C:", "", "file", ".txt"},
                      SplitCase{"1:file", "", "", "1:file", ""},  // a drive is a letter
                      SplitCase{"dir.d/file", "", "dir.d/", "file", ""},
                      SplitCase{"dir/.hidden", "", "dir/", "", ".hidden"},
                      SplitCase{"dir/", "", "dir/", "", ""}, SplitCase{"/", "", "/", "", ""},
                      SplitCase{"name.", "", "", "name", "."},
                      SplitCase{"x/y/..", "", "x/y/", ".", "."}));

TEST(PathUtils, NullPathGivesEmptyParts) {
  EXPECT_EQ(GetFileDir(nullptr), "");
  EXPECT_EQ(GetFileNameExt(nullptr), "");
}

TEST(PathUtils, LongPartsAreSplitWhole) {
  // Far beyond the 2047/127 characters that fixed buffers would take.
  const std::string dir = "D:" + std::string(3000, 'd') + "\\" + std::string(3000, 'e') + "/";
  const std::string name(5000, 'n');
  const std::string ext = "." + std::string(600, 'x');
  const std::string path = dir + name + ext;
  EXPECT_EQ(GetFileDir(path.c_str()), dir);
  EXPECT_EQ(GetFileNameExt(path.c_str()), name + ext);
  CPathParts parts = SplitPath(path);
  EXPECT_EQ(parts.m_strName, name);
  EXPECT_EQ(parts.m_strExt, ext);
}

// A fresh directory per test, removed afterwards.
class PathInTempDir : public ::testing::Test {
 protected:
  void SetUp() override {
    const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
    dir_ = fs::temp_directory_path() /
           ("blastsearch_util_" + std::to_string(::getpid()) + "_" + info->name());
    fs::remove_all(dir_);
    fs::create_directories(dir_);
  }
  void TearDown() override { fs::remove_all(dir_); }

  std::string PathOf(const std::string& name) const { return (dir_ / name).string(); }
  void Touch(const std::string& name) const { std::ofstream(dir_ / name) << "x"; }
  // Creates every name of a '|'-separated list (names may hold blanks);
  // returns the first.
  std::string TouchAll(const std::string& names) const {
    std::string first;
    for (std::size_t start = 0; start < names.size();) {
      std::size_t end = names.find('|', start);
      if (end == std::string::npos) end = names.size();
      std::string name = names.substr(start, end - start);
      if (first.empty()) first = name;
      Touch(name);
      start = end + 1;
    }
    return first;
  }

  fs::path dir_;
};

TEST_F(PathInTempDir, UniqueNameLeavesAFreePathAlone) {
  std::string path = PathOf("free.txt");
  const std::string before = path;
  EXPECT_EQ(AdjustUniqueFileName(path), 0);
  EXPECT_EQ(path, before);
  path.clear();
  EXPECT_EQ(AdjustUniqueFileName(path), 0);
  EXPECT_EQ(path, "");
}

struct UniqueCase {
  const char* existing;  // '|'-separated names created first; the first is the argument
  const char* expected;
};

class UniqueCases : public PathInTempDir, public ::testing::WithParamInterface<UniqueCase> {};

TEST_P(UniqueCases, CountsUpToTheFirstFreeName) {
  const UniqueCase& c = GetParam();
  std::string path = PathOf(TouchAll(c.existing));
  EXPECT_EQ(AdjustUniqueFileName(path), 1);
  EXPECT_EQ(path, PathOf(c.expected));
}

INSTANTIATE_TEST_SUITE_P(
    Names, UniqueCases,
    ::testing::Values(UniqueCase{"report.txt", "report 1.txt"},
                      UniqueCase{"report.txt|report 1.txt|report 2.txt", "report 3.txt"},
                      UniqueCase{"report 3.txt", "report 4.txt"},  // 3 itself is tried first
                      UniqueCase{"report 3.txt|report 4.txt", "report 5.txt"},
                      UniqueCase{"report 03.txt", "report 3.txt"},  // leading zeros vanish
                      UniqueCase{"abc3.txt", "abc3 1.txt"},         // digits of the name
                      UniqueCase{"007.txt", "7.txt"},               // the name is the counter
                      UniqueCase{"report .txt", "report 1.txt"}, UniqueCase{"data", "data 1"},
                      UniqueCase{"a.b.c", "a.b 1.c"}, UniqueCase{".profile", "1.profile"}));

TEST_F(PathInTempDir, UniqueNameCountsPastADirectory) {
  fs::create_directory(dir_ / "sub");
  std::string path = PathOf("sub");
  EXPECT_EQ(AdjustUniqueFileName(path), 1);
  EXPECT_EQ(path, PathOf("sub 1"));
}

TEST_F(PathInTempDir, UniqueNameWithAZeroByteNamesNoFile) {
  // Only the part before the zero byte reaches the file system, and it
  // exists; counting on would never find a free name.
  Touch("exists");
  std::string path = PathOf("exists") + std::string(1, '\0') + "more";
  const std::string before = path;
  EXPECT_EQ(AdjustUniqueFileName(path), 0);
  EXPECT_EQ(path, before);
}

TEST_F(PathInTempDir, UniqueNameInLongDirectoryWithLongName) {
  // Directories of more than 1023 characters, names of more than 127.
  fs::path deep = dir_;
  for (int i = 0; i < 6; ++i) deep /= std::string(200, static_cast<char>('a' + i));
  fs::create_directories(deep);
  const std::string name = std::string(230, 'n') + ".txt";
  std::ofstream(deep / name) << "x";
  std::string path = (deep / name).string();
  ASSERT_GT(path.size(), 1200u);
  EXPECT_EQ(AdjustUniqueFileName(path), 1);
  EXPECT_EQ(path, (deep / (std::string(230, 'n') + " 1.txt")).string());

  EXPECT_EQ(AdjustTmpFileName000((deep / name).string()),
            (deep / (std::string(230, 'n') + "001.txt")).string());
  std::ofstream(deep / (std::string(230, 'n') + "041.txt")) << "x";
  EXPECT_EQ(AdjustTmpFileName000((deep / name).string()),
            (deep / (std::string(230, 'n') + "042.txt")).string());
}

TEST_F(PathInTempDir, TmpNameStartsAtOneWithoutMatches) {
  EXPECT_EQ(AdjustTmpFileName000(PathOf("tmp.txt")), PathOf("tmp001.txt"));
  EXPECT_EQ(AdjustTmpFileName000(PathOf("missing/tmp.txt")), PathOf("missing/tmp001.txt"));
}

struct TmpCase {
  const char* existing;  // '|'-separated names in the directory
  const char* argument;
  const char* expected;
};

class TmpCases : public PathInTempDir, public ::testing::WithParamInterface<TmpCase> {};

TEST_P(TmpCases, OneMoreThanTheLargestNumber) {
  const TmpCase& c = GetParam();
  TouchAll(c.existing);
  EXPECT_EQ(AdjustTmpFileName000(PathOf(c.argument)), PathOf(c.expected));
}

INSTANTIATE_TEST_SUITE_P(
    Directories, TmpCases,
    ::testing::Values(TmpCase{"tmp001.txt|tmp007.txt", "tmp.txt", "tmp008.txt"},
                      // wrong length, extension or letter case: no match
                      TmpCase{"tmp0070.txt|tmp50.txt|tmp060.dat|TMP080.txt|tmp.txt", "tmp.txt",
                              "tmp001.txt"},
                      TmpCase{"tmpabc.txt|tmp1x2.txt", "tmp.txt", "tmp002.txt"},
                      TmpCase{"tmp999.txt", "tmp.txt", "tmp1000.txt"},
                      TmpCase{"log005|log009.txt", "log", "log006"},
                      TmpCase{"x.y012.z", "x.y.z", "x.y013.z"},
                      TmpCase{"a\\tmp003.txt", "a\\tmp.txt", "a\\tmp004.txt"}));

TEST_F(PathInTempDir, TmpNameCountsDirectoriesToo) {
  fs::create_directory(dir_ / "tmp004.txt");
  EXPECT_EQ(AdjustTmpFileName000(PathOf("tmp.txt")), PathOf("tmp005.txt"));
}

}  // namespace

}  // namespace blastsearch
