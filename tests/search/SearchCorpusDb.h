#pragma once

// A database of imported corpus results, annotated through the commands
// (keywords, comments, user-defined fields, authors), and a model of what
// was given to each object, to work out expected search results without the
// filters. Built once per test program.

#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <map>
#include <memory>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "app/Commands.h"
#include "host/db/DBEngine.h"
#include "host/db/DBFunctions.h"
#include "host/db/DBObjectBase.h"
#include "platform/UserInteraction.h"
#include "support/Corpus.h"
#include "support/StorageBackends.h"
#include "table/BlastSearchObject.h"
#include "table/BlastSearchTable.h"

namespace blastsearch {

// What one stored object holds, as the set-up gave it.
struct ObjModel {
  std::string name;
  int hits = 0;
  std::vector<std::string> keywords;
  std::vector<std::string> comments;
  std::map<std::string, std::vector<std::string>> fields;
  std::string author, authorOrg, original, description;
};

inline std::string Lower(std::string text) {
  for (char& c : text) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return text;
}
inline bool Holds(const std::string& text, const std::string& part, bool matchCase = false) {
  return matchCase ? text.find(part) != std::string::npos
                   : Lower(text).find(Lower(part)) != std::string::npos;
}
inline bool Has(const std::vector<std::string>& list, const std::string& item) {
  return std::find(list.begin(), list.end(), item) != list.end();
}

// Runs blastsearch with `args`; returns the exit status, fills out and err.
inline int Blast(std::vector<std::string> args, std::string* out = nullptr,
                 std::string* err = nullptr) {
  std::ostringstream o, e;
  int status = RunBlastSearch(args, o, e);
  if (out) *out = o.str();
  if (err) *err = e.str();
  return status;
}

class SearchCorpusDb {
 public:
  static constexpr const char* kCurrentUser = "Current Person";

  // The database of `backend` ("sqlite" or "postgres"), built on first use;
  // null when the corpus is absent or the backend cannot be had (then
  // `whyNot`, when given, says why).
  static SearchCorpusDb* Get(const std::string& backend = "sqlite", std::string* whyNot = nullptr) {
    // One static per backend, each made after the server it uses, so that
    // it is closed before that server stops.
    if (backend == "sqlite") {
      static std::unique_ptr<SearchCorpusDb> db = Make("sqlite", nullptr);
      if (db == nullptr && whyNot != nullptr) *whyNot = "the corpus is absent";
      return db.get();
    }
    static std::string skip;
    static std::unique_ptr<SearchCorpusDb> db = Make(backend, &skip);
    if (db == nullptr && whyNot != nullptr) *whyNot = skip;
    return db.get();
  }
  ~SearchCorpusDb() {
    engine().CloseDatabase(1);
    std::error_code ec;
    std::filesystem::remove_all(m_dir, ec);
  }

  // Opens the database as database 1 (commands close it when they end).
  void Open() const { engine().OpenDatabase(m_strAddress, 1); }
  // Runs a command on this database and opens the database again.
  int Run(std::vector<std::string> args, std::string* out = nullptr,
          std::string* err = nullptr) const {
    args.insert(args.begin(), {"--db", m_strAddress});
    int status = Blast(args, out, err);
    Open();
    return status;
  }
  // Names of the model objects `pick` chooses.
  template <class Pick>
  std::set<std::string> Expected(Pick pick) const {
    std::set<std::string> names;
    for (const ObjModel& o : m_objects) {
      if (pick(o)) names.insert(o.name);
    }
    return names;
  }

  // A scratch folder: the database itself for SQLite.
  std::filesystem::path m_dir;
  std::vector<ObjModel> m_objects;

 private:
  static std::unique_ptr<SearchCorpusDb> Make(const std::string& backend, std::string* whyNot) {
    std::unique_ptr<SearchCorpusDb> made;
    if (CorpusDir().empty()) {
      if (whyNot != nullptr) *whyNot = "the corpus is absent";
      return made;
    }
    std::unique_ptr<CBackendDatabase> server;
    if (backend != "sqlite") {
      server = std::make_unique<CBackendDatabase>(backend);
      if (!server->SkipReason().empty()) {
        if (whyNot != nullptr) *whyNot = server->SkipReason();
        return made;
      }
    }
    made.reset(new SearchCorpusDb);
    made->m_dir = std::filesystem::temp_directory_path() /
                  ("blastsearch-search-test-" + backend + "-" + std::to_string(::getpid()));
    std::filesystem::remove_all(made->m_dir);
    made->m_strAddress = server ? server->CommandAddress() : made->m_dir.string();
    made->m_server = std::move(server);
    made->Build();
    return made;
  }

  void Build() {
    Open();
    {
      CScriptedUserInteraction ui;
      for (const char* folder : {"text", "html-qblast", "html-classic"}) {
        for (const auto& path : CorpusFiles(folder)) {
          ui.QueueFile(path.string());
          std::string subbase;
          CObjInfo* info = nullptr;
          if (blastSearch().CreateNewLocalObject("MAIN", subbase, info) == 0) continue;
          int changed = 0;
          EXPECT_EQ(blastSearch().RenameObj(1, info, path.stem().string(), changed), 1);
          ObjModel model;
          model.name = info->m_name;
          std::unique_ptr<CDBObjectBase> data(
              blastSearch().GetObjectData(info->m_objId, info->m_name.c_str(), 1));
          model.hits = dynamic_cast<CBlastSearchObject&>(*data).Entry().GetHitsCount();
          m_objects.push_back(model);
        }
      }
    }
    Run({"author", "set", "--name", kCurrentUser, "--organization", "Home Lab"});
    Run({"field", "define", "Lab", "text"});
    Run({"field", "define", "Score", "number"});
    for (std::size_t i = 0; i < m_objects.size(); ++i) Annotate(i, m_objects[i]);
  }

  void Annotate(std::size_t i, ObjModel& o) {
    auto keyword = [&](const std::string& k) {
      Run({"keyword", "add", o.name, k});
      o.keywords.push_back(k);
    };
    if (i % 2 == 0) keyword("even");
    if (i % 3 == 0) keyword("tri");
    if (i % 5 == 0) keyword("Even");
    if (i % 4 == 0) {
      o.comments = {"checked by bench " + std::to_string(i),
                    i % 8 == 0 ? "a Zinc finger domain" : "nothing special"};
      Run({"comment", "set", o.name, o.comments[0] + "\n" + o.comments[1]});
    }
    if (i % 3 != 0) {
      std::string lab = i % 3 == 1 ? "Heidelberg" : "heidelberg-north";
      Run({"field", "set", o.name, "Lab", lab});
      o.fields["Lab"].push_back(lab);
    }
    if (i % 5 == 1) {
      Run({"field", "set", o.name, "Score", std::to_string(i)});
      o.fields["Score"].push_back(std::to_string(i));
    }
    if (i % 6 == 0) {
      Run({"author", "set", o.name, "--name", "Ada Lovelace", "--organization", "Analytical"});
      o.author = "Ada Lovelace", o.authorOrg = "Analytical";
    }
    if (i % 6 == 3) {
      Run({"author", "set", o.name, "--original", "--name", "Grace Hopper"});
      o.original = "Grace Hopper";
    }
    if (i % 7 == 0) {
      CObjInfo* info = FindObject(15, 1, o.name);
      std::unique_ptr<CDBObjectBase> data(
          blastSearch().GetObjectData(info->m_objId, info->m_name.c_str(), 1));
      data->m_description = "described cytochrome";
      EXPECT_EQ(blastSearch().InsertObjectData(info->m_objId, data.get(), 1), 1);
      o.description = data->m_description;
    }
  }

  std::unique_ptr<CBackendDatabase> m_server;  // the server database, when one
  std::string m_strAddress;                    // the folder, or the connection string
};

}  // namespace blastsearch
