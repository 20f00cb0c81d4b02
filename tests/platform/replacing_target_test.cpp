#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <thread>

#include "platform/ReplacingFile.h"
#include "support/TempDatabase.h"

namespace blastsearch {

namespace {

namespace fs = std::filesystem;

std::string Read(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream text;
  text << in.rdbuf();
  return text.str();
}

// What kind of file `path` is, without following a link.
fs::file_type KindOf(const fs::path& path) { return fs::symlink_status(path).type(); }

// Each kind of target keeps its kind: regular files are replaced whole
// keeping their mode, links stay links, devices and FIFOs take the bytes
// directly, and protected files are refused by any of their names.
TEST(ReplacingTarget, EveryKindOfTargetKeepsWhatItIs) {
  CTempDir dir("replacing");
  const fs::path plain = dir.Path() / "plain";
  std::ofstream(plain) << "old";
  ::chmod(plain.c_str(), 0600);
  const fs::path link = dir.Path() / "link";
  fs::create_symlink(plain, link);
  const fs::path fifo = dir.Path() / "fifo";
  ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
  const fs::path guarded = dir.Path() / "guarded.db";
  std::ofstream(guarded) << "database";
  const fs::path hardLink = dir.Path() / "other-name";
  fs::create_hard_link(guarded, hardLink);
  ProtectFromReplacing(guarded.string(), "the database's own file");

  struct Case {
    fs::path target;
    bool refused;
    bool direct;
    fs::file_type kindAfter;
  };
  const std::vector<Case> cases = {
      {plain, false, false, fs::file_type::regular},
      {link, false, false, fs::file_type::symlink},
      {"/dev/null", false, true, fs::file_type::character},
      {fifo, false, true, fs::file_type::fifo},
      {guarded, true, false, fs::file_type::regular},
      {hardLink, true, false, fs::file_type::regular},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.target.string());
    std::string piped;
    std::thread reader;
    if (c.target == fifo) reader = std::thread([&] { piped = Read(fifo); });
    CReplacingFile file;
    if (c.refused) {
      EXPECT_THROW((void)file.Create(c.target.string()), CFileException);
    } else {
      ASSERT_TRUE(file.Create(c.target.string()));
      EXPECT_EQ(file.WritesDirectly(), c.direct);
      file.Write("new", 3);
      file.Commit();
    }
    if (reader.joinable()) reader.join();
    if (c.target == fifo) {
      EXPECT_EQ(piped, "new");
    }
    EXPECT_EQ(KindOf(c.target), c.kindAfter);
  }
  EXPECT_EQ(Read(plain), "new");
  EXPECT_EQ(fs::status(plain).permissions() & fs::perms::all,
            fs::perms::owner_read | fs::perms::owner_write);
  EXPECT_EQ(Read(guarded), "database");
  StopProtecting(guarded.string());
  CReplacingFile file;
  EXPECT_TRUE(file.Create(hardLink.string()));
  // Nothing but the files made here is left in the folder.
  std::size_t entries = 0;
  for (auto it = fs::directory_iterator(dir.Path()); it != fs::directory_iterator(); ++it)
    ++entries;
  EXPECT_EQ(entries, 6u);
}

// A full device fails at the write or at Commit, naming the target.
TEST(ReplacingTarget, AFullDeviceIsAFailureNamingIt) {
  CReplacingFile file;
  ASSERT_TRUE(file.Create("/dev/full"));
  std::string block(1 << 16, 'x');
  try {
    file.Write(block.data(), block.size());
    file.Commit();
    ADD_FAILURE() << "the write to /dev/full succeeded";
  } catch (const CFileException& e) {
    EXPECT_NE(std::string(e.what()).find("/dev/full"), std::string::npos) << e.what();
  }
}

}  // namespace

}  // namespace blastsearch
