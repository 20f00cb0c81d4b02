#include "search/CommentIndex.h"

#include <sys/stat.h>

#include <charconv>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <string>
#include <vector>

#include "host/db/DBEngine.h"
#include "host/db/DBStorage.h"

namespace blastsearch {

namespace {

namespace fs = std::filesystem;

// The identifier a comment file is named after ("<id>.cmt"), or 0.
unsigned long IdOfCommentFile(const std::string& name) {
  constexpr std::string_view kExtension = ".cmt";
  if (name.size() <= kExtension.size() ||
      name.compare(name.size() - kExtension.size(), kExtension.size(), kExtension) != 0) {
    return 0;
  }
  unsigned long id = 0;
  const char* end = name.data() + name.size() - kExtension.size();
  const auto [stop, error] = std::from_chars(name.data(), end, id);
  return error == std::errc() && stop == end ? id : 0;
}

// The whole content of `path`; false when it cannot be read.
bool ReadWhole(const fs::path& path, std::string& text) {
  std::ifstream file(path, std::ios::binary);
  if (!file) return false;
  text.assign(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
  return !file.bad();
}

}  // namespace

bool RefreshCommentIndex(CDBStorage& storage, int objTable, int objType, int dbId) {
  // A storage that keeps the comments itself searches them directly.
  if (storage.KeepsComments()) return true;
  try {
    const COrvFileSpec any = engine().MakeCommentFileName(objType, 1, dbId);
    if (!any.IsSpecSet()) return false;
    const fs::path folder = fs::path(any.GetPath()).parent_path();
    std::map<unsigned long, CCommentStamp> gone;
    for (const CCommentStamp& stamp : storage.CommentStamps(objTable)) {
      gone[stamp.m_recordId] = stamp;
    }
    std::vector<std::pair<CCommentStamp, fs::path>> changed;
    std::error_code error;
    for (fs::directory_iterator it(folder, error), end; !error && it != end; it.increment(error)) {
      const unsigned long id = IdOfCommentFile(it->path().filename().string());
      struct stat status {};
      if (id == 0 || ::stat(it->path().c_str(), &status) != 0 || !S_ISREG(status.st_mode)) {
        continue;
      }
      CCommentStamp stamp;
      stamp.m_recordId = id;
      stamp.m_size = static_cast<std::int64_t>(status.st_size);
      stamp.m_mtime =
          static_cast<std::int64_t>(status.st_mtim.tv_sec) * 1000000000 + status.st_mtim.tv_nsec;
      const auto known = gone.find(id);
      const bool same = known != gone.end() && known->second.m_size == stamp.m_size &&
                        known->second.m_mtime == stamp.m_mtime;
      if (known != gone.end()) gone.erase(known);
      if (!same) changed.emplace_back(stamp, it->path());
    }
    // A folder that cannot be listed (other than absent) is no empty folder.
    if (error && error != std::errc::no_such_file_or_directory) return false;
    if (changed.empty() && gone.empty()) return true;
    if (storage.InTransaction()) return false;
    CDBWriteTransaction write(storage);
    for (const auto& [id, stamp] : gone) storage.IndexComment(objTable, stamp, nullptr);
    std::string text;
    for (const auto& [stamp, path] : changed) {
      // A file that cannot be read gives no match (the filter says so): out
      // of the index.
      storage.IndexComment(objTable, stamp, ReadWhole(path, text) ? &text : nullptr);
    }
    write.Commit();
    return true;
  } catch (const std::exception&) {
    return false;
  }
}

}  // namespace blastsearch
