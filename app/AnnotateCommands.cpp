#include "app/AnnotateCommands.h"

#include <CLI/CLI.hpp>
#include <cerrno>
#include <cmath>
#include <cstdlib>
#include <fstream>
#include <functional>
#include <iterator>
#include <memory>
#include <ostream>
#include <sstream>

#include "app/CommandContext.h"
#include "app/Commands.h"
#include "host/db/DBEngine.h"
#include "host/db/DBFunctions.h"
#include "host/db/DBObjectBase.h"
#include "output/PrintableText.h"
#include "table/BlastSearchTable.h"

namespace blastsearch {

namespace {

// What the annotation commands were asked.
struct AnnotateOptions {
  std::string strObject;
  std::vector<std::string> values;  // keywords, or the comment text
  std::string strField;
  std::string strValue;
  std::string strType;
  std::string strFile;
  std::string strName, strOrganization, strEmail;
  bool bOriginal = false;
};

using CommandBody = std::function<int(const AnnotateOptions&, std::ostream&, std::ostream&)>;

// Runs `body` with the database of `context` open and the table's messages
// on the command's streams; a failure message of the table makes it 1.
int RunWithDatabase(const AnnotateOptions& options, CCommandContext& context,
                    const CommandBody& body) {
  CCommandMessages messages(context.m_out, context.m_err);
  return WithDatabase(context, messages, [&]() -> int {
    int status = kExitFailed;
    try {
      status = body(options, context.m_out, context.m_err);
    } catch (const std::exception& e) {
      messages.Fail(e.what());
    }
    if (!FlushOutput(context.m_out, messages)) return kExitFailed;
    return status == kExitOk && messages.Failed() ? kExitFailed : status;
  });
}

CObjInfo* RequireObject(const std::string& ref, std::ostream& err) {
  CObjInfo* info = LookUpStoredObject(ref);
  if (info == nullptr)
    err << "blastsearch: no stored result named \"" << PrintableText(ref) << "\"\n";
  return info;
}

std::unique_ptr<CDBObjectBase> LoadObject(CObjInfo* info, std::ostream& err) {
  std::unique_ptr<CDBObjectBase> object(
      blastSearch().GetObjectData(info->m_objId, info->m_name.c_str(), 1));
  if (!object) err << "blastsearch: the record of \"" << info->m_name << "\" cannot be read\n";
  return object;
}

bool IsStorableText(const std::string& text, const char* what, std::ostream& err) {
  if (!text.empty() && check_string_value(text) != 0 && IsUtf8Text(text)) return true;
  err << "blastsearch: the " << what << " \"" << ShownText(text)
      << "\" is empty, longer than 250 characters, holds a control character or is not UTF-8 "
         "text\n";
  return false;
}

// ---- keywords ----

int KeywordChange(const AnnotateOptions& o, std::ostream&, std::ostream& err, bool add) {
  CObjInfo* info = RequireObject(o.strObject, err);
  if (info == nullptr) return kExitFailed;
  for (const std::string& keyword : o.values) {
    if (!IsStorableText(keyword, "keyword", err)) return kExitUsage;
  }
  for (const std::string& keyword : o.values) {
    CDBField field;
    field.m_fieldId = kFieldKeyword;
    field.m_strValue = keyword;
    if (add && blastSearch().InsertDBValue(1, info, field, 0) == 0) return kExitFailed;
    if (!add && blastSearch().DeleteDBValue(1, info, field) == 0) {
      err << "blastsearch: \"" << info->m_name << "\" has no keyword \"" << keyword << "\"\n";
      return kExitFailed;
    }
  }
  return kExitOk;
}

int KeywordList(const AnnotateOptions& o, std::ostream& out, std::ostream& err) {
  std::vector<std::string> keywords;
  if (o.strObject.empty()) {
    keywords = blastSearch().getkwlist(1);
  } else {
    CObjInfo* info = RequireObject(o.strObject, err);
    if (info == nullptr) return kExitFailed;
    auto object = LoadObject(info, err);
    if (!object) return kExitFailed;
    keywords = object->m_keywords;
  }
  for (const std::string& keyword : keywords) out << keyword << '\n';
  return kExitOk;
}

// ---- comments ----

// The largest comment file read: a comment is a note, not a data set.
constexpr std::size_t kMaxCommentBytes = std::size_t{8} << 20;

// Reads the comment file `path` into `text` (at most kMaxCommentBytes);
// false with a line on `err` naming the file and what was wrong.
bool ReadCommentFile(const std::string& path, std::string& text, std::ostream& err) {
  std::ifstream file(path, std::ios::binary);
  if (!file.is_open()) {
    err << "blastsearch: " << PrintableText(path) << ": cannot read the comment file\n";
    return false;
  }
  text.resize(kMaxCommentBytes + 1);
  file.read(text.data(), static_cast<std::streamsize>(text.size()));
  if (file.bad()) {
    err << "blastsearch: " << PrintableText(path) << ": the comment file cannot be read\n";
    return false;
  }
  text.resize(static_cast<std::size_t>(file.gcount()));
  if (text.size() > kMaxCommentBytes) {
    err << "blastsearch: " << PrintableText(path) << ": the comment is longer than "
        << (kMaxCommentBytes >> 20) << " MiB; nothing was stored\n";
    return false;
  }
  return true;
}

bool ReadCommentLines(const AnnotateOptions& o, std::vector<std::string>& lines,
                      std::ostream& err) {
  std::string text;
  if (!o.strFile.empty()) {
    if (!ReadCommentFile(o.strFile, text, err)) return false;
  } else {
    for (std::size_t i = 0; i < o.values.size(); ++i) text += (i ? " " : "") + o.values[i];
  }
  // A comment is text: a NUL byte would cut it short where it is stored.
  if (const std::size_t nul = text.find('\0'); nul != std::string::npos) {
    err << "blastsearch: "
        << (o.strFile.empty() ? std::string("the comment") : PrintableText(o.strFile))
        << ": holds a NUL byte at byte " << nul << "; a comment must be text, nothing was stored\n";
    return false;
  }
  if (std::size_t bad = 0; !IsUtf8Text(text, &bad)) {
    err << "blastsearch: "
        << (o.strFile.empty() ? std::string("the comment") : PrintableText(o.strFile))
        << ": is not UTF-8 text (byte " << bad << "); nothing was stored\n";
    return false;
  }
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    lines.push_back(line);
  }
  return true;
}

int CommentSet(const AnnotateOptions& o, std::ostream&, std::ostream& err) {
  CObjInfo* info = RequireObject(o.strObject, err);
  if (info == nullptr) return kExitFailed;
  std::vector<std::string> lines;
  if (!ReadCommentLines(o, lines, err)) return kExitUsage;
  auto object = LoadObject(info, err);
  if (!object) return kExitFailed;
  // A removal that fails is a failure too: the old comment is still there.
  std::string failure;
  if (!WriteObjectComment(object->GetObjectType(), object->m_recordId, 1, lines, &failure)) {
    err << "blastsearch: the comment of \"" << info->m_name
        << "\" could not be written: " << failure << '\n';
    return kExitFailed;
  }
  return kExitOk;
}

int CommentShow(const AnnotateOptions& o, std::ostream& out, std::ostream& err) {
  CObjInfo* info = RequireObject(o.strObject, err);
  if (info == nullptr) return kExitFailed;
  auto object = LoadObject(info, err);
  if (!object) return kExitFailed;
  object->LoadComment(1);
  for (const std::string& line : object->m_comments) out << line << '\n';
  return kExitOk;
}

// ---- user-defined fields ----

const CUDFieldDef* FindFieldDef(const std::vector<CUDFieldDef>& defs, const std::string& name) {
  for (const CUDFieldDef& def : defs) {
    if (def.m_strName == name &&
        (def.m_objType == 0 || def.m_objType == blastSearch().tableobjtype())) {
      return &def;
    }
  }
  return nullptr;
}

int FieldDefine(const AnnotateOptions& o, std::ostream&, std::ostream& err) {
  if (!IsStorableText(o.strField, "field name", err)) return kExitUsage;
  CDBStorage* storage = engine().Storage(1);
  if (FindFieldDef(storage->UDFieldDefs(), o.strField) != nullptr) {
    err << "blastsearch: the field \"" << o.strField << "\" is already defined\n";
    return kExitFailed;
  }
  CDBFieldDef builtIn;
  if (blastSearch().GetObjFieldDef(1, o.strField, builtIn) != 0) {
    err << "blastsearch: \"" << o.strField << "\" is already a field of every object\n";
    return kExitFailed;
  }
  CUDFieldDef def;
  def.m_strName = o.strField;
  def.m_valueKind = o.strType == "number" ? kValueNumber : kValueText;
  def.m_objType = blastSearch().tableobjtype();
  storage->PutUDFieldDef(def);
  return kExitOk;
}

// True when `text` is a decimal number as people write one: an optional sign,
// digits with an optional decimal point, an optional exponent; nothing around
// it (no blanks), no "nan", "inf" or hexadecimal forms, and finite.
bool IsNumber(const std::string& text) {
  std::size_t at = 0;
  auto digits = [&] {
    const std::size_t start = at;
    while (at < text.size() && text[at] >= '0' && text[at] <= '9') ++at;
    return at - start;
  };
  if (at < text.size() && (text[at] == '+' || text[at] == '-')) ++at;
  std::size_t mantissa = digits();
  if (at < text.size() && text[at] == '.') {
    ++at;
    mantissa += digits();
  }
  if (mantissa == 0) return false;
  if (at < text.size() && (text[at] == 'e' || text[at] == 'E')) {
    ++at;
    if (at < text.size() && (text[at] == '+' || text[at] == '-')) ++at;
    if (digits() == 0) return false;
  }
  if (at != text.size()) return false;
  errno = 0;
  const double value = std::strtod(text.c_str(), nullptr);
  return errno != ERANGE && std::isfinite(value);
}

int FieldChange(const AnnotateOptions& o, std::ostream&, std::ostream& err, bool set) {
  CObjInfo* info = RequireObject(o.strObject, err);
  if (info == nullptr) return kExitFailed;
  const std::vector<CUDFieldDef> defs = engine().Storage(1)->UDFieldDefs();
  const CUDFieldDef* def = FindFieldDef(defs, o.strField);
  if (def == nullptr) {
    err << "blastsearch: no user-defined field \"" << o.strField
        << "\" (define it with 'blastsearch field define')\n";
    return kExitUsage;
  }
  if (!IsStorableText(o.strValue, "value", err)) return kExitUsage;
  if (set && def->m_valueKind == kValueNumber && !IsNumber(o.strValue)) {
    err << "blastsearch: the field \"" << o.strField << "\" takes a number, not \"" << o.strValue
        << "\"\n";
    return kExitUsage;
  }
  CDBField field;
  field.m_fieldId = def->m_fieldId;
  field.m_strName = def->m_strName;
  field.m_strValue = o.strValue;
  if (set) return blastSearch().InsertDBValue(1, info, field, 0) != 0 ? kExitOk : kExitFailed;
  if (blastSearch().DeleteDBValue(1, info, field) != 0) return kExitOk;
  err << "blastsearch: \"" << info->m_name << "\" has no value \"" << o.strValue << "\" in \""
      << o.strField << "\"\n";
  return kExitFailed;
}

// ---- creator records ----

void ApplyCreator(const AnnotateOptions& o, CCreatorData& record) {
  if (!o.strName.empty()) record.m_strName = o.strName;
  if (!o.strOrganization.empty()) record.m_strOrganization = o.strOrganization;
  if (!o.strEmail.empty()) record.m_strEmail = o.strEmail;
  record.m_nDate = GetOrvCurrentTime();
}

int AuthorSet(const AnnotateOptions& o, std::ostream&, std::ostream& err) {
  if (o.strName.empty() && o.strOrganization.empty() && o.strEmail.empty()) {
    err << "blastsearch: give --name, --organization or --email\n";
    return kExitUsage;
  }
  for (const std::string* text : {&o.strName, &o.strOrganization, &o.strEmail}) {
    if (!text->empty() && !IsStorableText(*text, "text", err)) return kExitUsage;
  }
  if (o.strObject.empty()) {
    CCreatorData me;
    me.LoadCreatorData();
    ApplyCreator(o, me);
    if (me.SaveCreatorData() != 0) return kExitOk;
    err << "blastsearch: the current user's record could not be stored" << ReadOnlyNote(1) << '\n';
    return kExitFailed;
  }
  CObjInfo* info = RequireObject(o.strObject, err);
  if (info == nullptr) return kExitFailed;
  const int stored =
      blastSearch().ChangeStoredObject(1, info->m_objId, info->m_name, [&](CDBObjectBase& object) {
        ApplyCreator(o, o.bOriginal ? object.m_originalAuthor : object.m_creator);
        return EObjectChange::kStore;
      });
  return stored != 0 ? kExitOk : kExitFailed;
}

// Makes choosing `command` run `body`.
void Bind(CLI::App* command, const std::shared_ptr<AnnotateOptions>& options, CommandBody body,
          CCommandContext& context) {
  command->fallthrough();
  command->callback([options, body = std::move(body), &context] {
    context.m_run = [options, body, &context] { return RunWithDatabase(*options, context, body); };
  });
}

}  // namespace

void AddAnnotateCommands(CLI::App& app, CCommandContext& context) {
  auto o = std::make_shared<AnnotateOptions>();
  using namespace std::placeholders;

  CLI::App* keyword = AddCommandGroup(app, "keyword", "Add, remove or list keywords.");
  CLI::App* add = keyword->add_subcommand("add", "Give an object keywords.");
  add->add_option("OBJECT", o->strObject, "name or UID")->required();
  add->add_option("KEYWORD", o->values, "keywords to add")->required();
  Bind(add, o, std::bind(KeywordChange, _1, _2, _3, true), context);
  CLI::App* rm = keyword->add_subcommand("rm", "Take keywords from an object.");
  rm->add_option("OBJECT", o->strObject, "name or UID")->required();
  rm->add_option("KEYWORD", o->values, "keywords to remove")->required();
  Bind(rm, o, std::bind(KeywordChange, _1, _2, _3, false), context);
  CLI::App* list = keyword->add_subcommand("list", "The keywords of an object, or of the table.");
  list->add_option("OBJECT", o->strObject, "name or UID (none: every keyword known)");
  Bind(list, o, KeywordList, context);

  CLI::App* comment = AddCommandGroup(app, "comment", "Set or show an object's comment.");
  CLI::App* set = comment->add_subcommand("set", "Replace the comment (empty text removes it).");
  set->add_option("OBJECT", o->strObject, "name or UID")->required();
  auto* text = set->add_option("TEXT", o->values, "the comment text");
  set->add_option("--file", o->strFile, "read the comment from this file")->excludes(text);
  Bind(set, o, CommentSet, context);
  CLI::App* show = comment->add_subcommand("show", "Write the comment.");
  show->add_option("OBJECT", o->strObject, "name or UID")->required();
  Bind(show, o, CommentShow, context);

  CLI::App* field = AddCommandGroup(app, "field", "User-defined fields and their values.");
  CLI::App* define = field->add_subcommand("define", "Define a field of BLAST results.");
  define->add_option("NAME", o->strField, "field name")->required();
  define->add_option("TYPE", o->strType, "text or number")
      ->required()
      ->check(CLI::IsMember({"text", "number"}));
  Bind(define, o, FieldDefine, context);
  for (bool isSet : {true, false}) {
    CLI::App* change = field->add_subcommand(
        isSet ? "set" : "unset",
        isSet ? "Add a value to an object's field." : "Remove a value from an object's field.");
    change->add_option("OBJECT", o->strObject, "name or UID")->required();
    change->add_option("FIELD", o->strField, "user-defined field")->required();
    change->add_option("VALUE", o->strValue, "the value")->required();
    Bind(change, o, std::bind(FieldChange, _1, _2, _3, isSet), context);
  }

  CLI::App* author = AddCommandGroup(app, "author", "Creator records.");
  CLI::App* aset = author->add_subcommand(
      "set",
      "Set an object's author (or original author), or without OBJECT the current user's\n"
      "record, which also stands for every object that has no author.");
  aset->add_option("OBJECT", o->strObject, "name or UID (none: the current user)");
  aset->add_option("--name", o->strName, "the person's name");
  aset->add_option("--organization", o->strOrganization, "organisation");
  aset->add_option("--email", o->strEmail, "e-mail address");
  aset->add_flag("--original", o->bOriginal, "set the original author instead");
  Bind(aset, o, AuthorSet, context);
}

}  // namespace blastsearch
