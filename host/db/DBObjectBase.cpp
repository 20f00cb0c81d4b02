#include "host/db/DBObjectBase.h"

#include <charconv>
#include <cstdio>
#include <filesystem>
#include <system_error>

#include "host/OrvTextFile.h"
#include "host/db/DBEngine.h"
#include "host/db/DBException.h"
#include "host/db/DBFunctions.h"
#include "host/db/DBRecordText.h"
#include "host/db/ObjInfo.h"
#include "platform/ReplacingFile.h"

namespace blastsearch {

namespace {

// The record's end mark: the separator of field 0.
constexpr int kFieldEnd = 0;

[[noreturn]] void Damaged(const std::string& what) {
  throw CDBException("damaged object record: " + what);
}

template <class Number>
Number ParseNumber(const std::string& text, int field) {
  Number value{};
  auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (error != std::errc() || end != text.data() + text.size()) {
    Damaged("field " + std::to_string(field) + " holds \"" + text.substr(0, 40) +
            "\" where a number belongs");
  }
  return value;
}

void WriteLine(COrvTextFile& file, int field, const std::string& text) {
  WriteSeparator(field, file);
  file.WriteString(text.c_str());
  file.WriteString("\n");
}

std::string JoinUDField(const CUDFieldValue& entry) {
  std::string text = EscapeRecordText(entry.m_strName);
  for (const std::string& value : entry.m_values) text += '\t' + EscapeRecordText(value);
  return text;
}

CUDFieldValue SplitUDField(const std::string& line) {
  CUDFieldValue entry;
  std::size_t start = 0;
  bool first = true;
  while (true) {
    std::size_t tab = line.find('\t', start);
    std::string part = UnescapeRecordText(line.substr(start, tab - start));
    if (first)
      entry.m_strName = std::move(part);
    else
      entry.m_values.push_back(std::move(part));
    first = false;
    if (tab == std::string::npos) break;
    start = tab + 1;
  }
  return entry;
}

// "name<TAB>kind<TAB>object type", the name escaped.
std::string JoinUDFieldDef(const CUDFieldDef& def) {
  return EscapeRecordText(def.m_strName) + '\t' + std::to_string(def.m_valueKind) + '\t' +
         std::to_string(def.m_objType);
}

CUDFieldDef SplitUDFieldDef(const std::string& line) {
  const std::size_t first = line.find('\t');
  const std::size_t second = first == std::string::npos ? first : line.find('\t', first + 1);
  if (second == std::string::npos) {
    Damaged("field " + std::to_string(kFieldUDFieldDef) + " is not a field definition");
  }
  CUDFieldDef def;
  def.m_strName = UnescapeRecordText(line.substr(0, first));
  def.m_valueKind = ParseNumber<int>(line.substr(first + 1, second - first - 1), kFieldUDFieldDef);
  def.m_objType = ParseNumber<int>(line.substr(second + 1), kFieldUDFieldDef);
  if (check_string_value(def.m_strName) == 0) {
    Damaged("field " + std::to_string(kFieldUDFieldDef) +
            " names a field with a control character or over 250 characters");
  }
  if (def.m_strName.empty() || (def.m_valueKind != kValueText && def.m_valueKind != kValueNumber)) {
    Damaged("field " + std::to_string(kFieldUDFieldDef) + " defines \"" +
            def.m_strName.substr(0, 40) + "\" of an unknown kind " +
            std::to_string(def.m_valueKind));
  }
  return def;
}

}  // namespace

CDBObjectBase::CDBObjectBase(int objType) : m_nObjType(objType) {}

CDBObjectBase::CDBObjectBase(const CDBObjectBase& other)
    : CDBObject(other),
      m_name(other.m_name),
      m_creationTime(other.m_creationTime),
      m_recordId(other.m_recordId),
      m_sheetKind(other.m_sheetKind),
      m_localFlags(other.m_localFlags),
      m_creator(other.m_creator),
      m_originalAuthor(other.m_originalAuthor),
      m_description(other.m_description),
      m_keywords(other.m_keywords),
      m_udfValues(other.m_udfValues),
      m_comments(other.m_comments),
      m_udfDefs(other.m_udfDefs),
      m_nObjType(other.m_nObjType) {}

CDBObjectBase::~CDBObjectBase() = default;

int CDBObjectBase::GetObjInfo(CObjInfo& info, int /*flag*/) const {
  info.m_name = m_name;
  info.m_objId = m_recordId;
  info.m_creationTime = m_creationTime;
  info.m_strAuthor = m_creator.m_strName;
  info.SetObjType(GetObjectType());
  return 1;
}

void CDBObjectBase::GetObjRealFieldNames(int dbId, std::vector<std::string>* names) {
  CDBStorage* storage = engine().Storage(dbId);
  if (names == nullptr || storage == nullptr) return;
  try {
    for (const CUDFieldDef& def : storage->UDFieldDefs()) {
      if (def.m_objType == 0 || def.m_objType == GetObjectType()) names->push_back(def.m_strName);
    }
  } catch (const CException&) {
    // no user-defined fields to show
  }
}

bool FindNamedField(const std::vector<CNamedField>& fields, const std::string& name,
                    CDBFieldDef& def) {
  for (const CNamedField& field : fields) {
    if (name == field.m_pName) {
      def.m_fieldId = field.m_fieldId;
      def.m_valueKind = field.m_valueKind;
      return true;
    }
  }
  return false;
}

void AppendListedFieldNames(const std::vector<CNamedField>& fields,
                            std::vector<std::string>& names) {
  for (const CNamedField& field : fields) {
    if (field.m_bListed) names.emplace_back(field.m_pName);
  }
}

int CDBObjectBase::GetObjFieldDef(int dbId, const std::string& name, CDBFieldDef& def) {
  // The fields of every object; lists name them by themselves.
  static const std::vector<CNamedField> generic = {
      {"Name", kFieldName, kValueText, false},
      {"Created", kFieldCreationTime, kValueNumber, false},
      {"Keywords", kFieldKeyword, kValueText, false},
      {"Comment", kFieldComment, kValueText, false},
      {"Author", kFieldAuthor, kValueText, false},
      {"Original Author", kFieldOriginalAuthor, kValueText, false},
      {"Description", kFieldDescription, kValueText, false}};
  if (FindNamedField(generic, name, def)) return 1;
  CDBStorage* storage = engine().Storage(dbId);
  if (storage == nullptr) return 0;
  try {
    for (const CUDFieldDef& udf : storage->UDFieldDefs()) {
      if (udf.m_strName == name && (udf.m_objType == 0 || udf.m_objType == GetObjectType())) {
        def.m_fieldId = udf.m_fieldId;
        def.m_valueKind = udf.m_valueKind;
        return 1;
      }
    }
  } catch (const CException&) {
    // not defined then
  }
  return 0;
}

void CDBObjectBase::WriteRecord(COrvTextFile& file) const {
  WriteLine(file, kFieldName, EscapeRecordText(m_name));
  WriteLine(file, kFieldCreationTime, std::to_string(m_creationTime));
  WriteLine(file, kFieldRecordId, std::to_string(m_recordId));
  WriteLine(file, kFieldSheetKind, std::to_string(m_sheetKind));
  WriteLine(file, kFieldLocalFlags, std::to_string(m_localFlags));
  if (!m_creator.IsEmpty()) WriteLine(file, kFieldAuthor, m_creator.ToText());
  if (!m_originalAuthor.IsEmpty()) WriteLine(file, kFieldOriginalAuthor, m_originalAuthor.ToText());
  if (!m_description.empty()) WriteLine(file, kFieldDescription, EscapeRecordText(m_description));
  for (const std::string& keyword : m_keywords) {
    WriteLine(file, kFieldKeyword, EscapeRecordText(keyword));
  }
  for (const CUDFieldValue& entry : m_udfValues) WriteLine(file, kFieldUDField, JoinUDField(entry));
  for (CDBValue* value : m_valueContainer.Values()) value->WriteValue(file);
  WriteLine(file, kFieldEnd, "");
}

std::string CDBObjectBase::ArchiveFieldLines() const {
  std::string lines;
  const auto add = [&](int field, const std::string& text) {
    lines += '@' + std::to_string(field) + ':' + text + '\n';
  };
  for (const std::string& line : m_comments) add(kFieldComment, EscapeRecordText(line));
  for (const CUDFieldDef& def : m_udfDefs) add(kFieldUDFieldDef, JoinUDFieldDef(def));
  return lines;
}

int CDBObjectBase::ReadObject(COrvTextFile& file, int /*a*/, int /*b*/) {
  std::string line;
  int field = 0;
  while (true) {
    if (!ReadSeparator(file, field)) {
      if (file.AtEnd()) Damaged("the record is cut short (no end mark)");
      Damaged("text stands where a field should begin");
    }
    if (field == kFieldEnd) {
      file.ReadLineEnd();
      if (!file.AtEnd()) Damaged("bytes follow the record's end mark");
      return 1;
    }
    if (CDBValue* value = m_valueContainer.Find(field); value != nullptr) {
      const std::string keyword = "@" + std::to_string(field) + ":";
      value->ReadValue(file, keyword.c_str());
      file.ReadLineEnd();
      continue;
    }
    file.ReadString(line);
    switch (field) {
      case kFieldName:
        m_name = UnescapeRecordText(line);
        break;
      case kFieldCreationTime:
        m_creationTime = ParseNumber<long>(line, field);
        break;
      case kFieldRecordId:
        m_recordId = ParseNumber<unsigned long>(line, field);
        break;
      case kFieldSheetKind:
        m_sheetKind = ParseNumber<int>(line, field);
        break;
      case kFieldLocalFlags:
        m_localFlags = ParseNumber<int>(line, field);
        break;
      case kFieldAuthor:
        m_creator = CCreatorData::FromText(line);
        break;
      case kFieldOriginalAuthor:
        m_originalAuthor = CCreatorData::FromText(line);
        break;
      case kFieldDescription:
        m_description = UnescapeRecordText(line);
        break;
      case kFieldKeyword:
        m_keywords.push_back(UnescapeRecordText(line));
        break;
      case kFieldUDField:
        m_udfValues.push_back(SplitUDField(line));
        break;
      case kFieldComment:
        m_comments.push_back(UnescapeRecordText(line));
        break;
      case kFieldUDFieldDef:
        m_udfDefs.push_back(SplitUDFieldDef(line));
        break;
      default:
        break;  // a field of a later version: its line is skipped
    }
  }
}

namespace {

// The storage of database `dbId` when it keeps the comments of objects of
// `objType` itself (a server database), with the type's table; else null.
CDBStorage* CommentStorage(int objType, int dbId, int& table) {
  CDBStorage* storage = engine().Storage(dbId);
  if (storage == nullptr || !storage->KeepsComments()) return nullptr;
  table = engine().ObjtypeToObjtable(objType);
  return table != 0 ? storage : nullptr;
}

}  // namespace

bool ReadObjectComment(int objType, unsigned long recordId, int dbId,
                       std::vector<std::string>& lines) {
  if (recordId == 0) return false;
  int table = 0;
  if (CDBStorage* storage = CommentStorage(objType, dbId, table)) {
    try {
      std::vector<std::string> kept = storage->CommentLines(table, recordId);
      lines.insert(lines.end(), kept.begin(), kept.end());
      return !kept.empty();
    } catch (const std::exception&) {
      return false;
    }
  }
  COrvFileSpec spec = engine().MakeCommentFileName(objType, recordId, dbId);
  if (!spec.IsSpecSet()) return false;
  const std::size_t first = lines.size();
  try {
    COrvTextFile file(spec);
    if (!file.OpenInput(0)) return false;
    ReadCommentData(file, &lines);
    return true;
  } catch (const CException&) {
    lines.resize(first);
    return false;
  }
}

int CDBObjectBase::LoadComment(int dbId) {
  m_comments.clear();
  return ReadObjectComment(GetObjectType(), m_recordId, dbId, m_comments) ? 1 : 0;
}

bool WriteObjectComment(int objType, unsigned long recordId, int dbId,
                        const std::vector<std::string>& lines, std::string* failure) {
  auto fail = [failure](std::string why) {
    if (failure != nullptr) *failure = std::move(why);
    return false;
  };
  if (recordId == 0) return fail("the object is not stored");
  int table = 0;
  if (CDBStorage* storage = CommentStorage(objType, dbId, table)) {
    try {
      storage->SetCommentLines(table, recordId, lines);
      return true;
    } catch (const std::exception& e) {
      return fail(e.what());
    }
  }
  COrvFileSpec spec = engine().MakeCommentFileName(objType, recordId, dbId);
  if (!spec.IsSpecSet()) return fail("the database is not open");
  const std::filesystem::path path = spec.GetPath();
  std::error_code error;
  if (lines.empty()) {
    std::filesystem::remove(path, error);
    return error ? fail(path.string() + ": " + error.message()) : true;
  }
  std::filesystem::create_directories(path.parent_path(), error);
  if (error) return fail(path.parent_path().string() + ": " + error.message());
  // A new file of its own beside the comment file, put in its place whole:
  // two writers at once leave one comment or the other, never a mix.
  try {
    CReplacingFile file;
    if (!file.Create(path.string())) return fail(path.string() + ": cannot be written");
    for (const std::string& line : lines) {
      file.Write(line.data(), line.size());
      file.Write("\n", 1);
    }
    file.Commit();
  } catch (const CException& e) {
    return fail(e.what());
  }
  return true;
}

int CDBObjectBase::InsertComment(int dbId) {
  return WriteObjectComment(GetObjectType(), m_recordId, dbId, m_comments, nullptr) ? 1 : 0;
}

}  // namespace blastsearch
