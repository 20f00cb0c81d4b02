#pragma once

// A small table of text notes (object type 77, table 301) for testing the
// object database framework apart from the BLAST search table.

#include <new>
#include <stdexcept>

#include "host/OrvTextFile.h"
#include "host/db/DBEngine.h"
#include "host/db/DBTableBase.h"
#include "platform/File.h"

namespace blastsearch {

// A text value whose writing fails on request, to test that a failed store
// leaves nothing behind.
class CNoteValue : public CDBValue {
 public:
  using CDBValue::CDBValue;
  bool WriteValue(COrvTextFile& file) override {
    if (s_bFailWrites) throw CFileException("note", "write refused by the test");
    return CDBValue::WriteValue(file);
  }
  static inline bool s_bFailWrites = false;
};

class CNoteObject : public CDBObjectBase {
 public:
  static constexpr int kType = 77;
  static constexpr int kTextField = 5000;
  CNoteObject() : CDBObjectBase(kType), m_text(m_valueContainer, kTextField, "Text", nullptr) {}
  CNoteObject(const CNoteObject& other)
      : CDBObjectBase(other), m_text(m_valueContainer, other.m_text) {}
  CDBObjectBase* Clone() const override { return new (std::nothrow) CNoteObject(*this); }
  int GetObjectType() const override { return kType; }

  CNoteValue m_text;
};

class CNoteTable : public CDBTableBase {
 public:
  static constexpr int kTable = 301;
  CNoteTable() { engine().RegisterTable(kTable, this); }
  int objtable() override { return kTable; }
  int sbtable() override { return 302; }
  int auxtable() override { return 303; }
  int tableobjtype() override { return CNoteObject::kType; }
  int objftype() override { return 310; }
  int arcftype() const override { return 311; }
  std::string arcsign() override { return "@NOTE@"; }
  std::string dir(int) override { return "Notes"; }
  std::string DescribeObjType(int plural, int) override { return plural ? "Notes" : "Note"; }
  std::string DescribeSubbaseType() override { return "Notes"; }
  unsigned GetMenuCommand() const override { return 0; }
  void GetObjRealFieldNames(int dbId, std::vector<std::string>* names) const override {
    CNoteObject scratch;
    scratch.CDBObjectBase::GetObjRealFieldNames(dbId, names);
  }
  int GetObjFieldDef(int dbId, const std::string& name, CDBFieldDef& def) const override {
    CNoteObject scratch;
    return scratch.CDBObjectBase::GetObjFieldDef(dbId, name, def);
  }
  int CreateNewLocalObject(const std::string&, std::string&, CObjInfo*&) override { return 0; }
  void AppendPageToOpenDialog(COrvSaveLoadData&) override {}
  void AppendPageToSaveDialog(COrvSaveLoadData&) override {}
  int SearchForObjects(int, const std::string&, std::string&) override { return 0; }
  int EditLocalObject(CObjInfo*) override { return 0; }
  int OpenObject(CObjInfo*) override { return 0; }
  int DefaultAction(CObjInfo*) override { return 0; }
  CDBObjectBase* ReadObject(COrvTextFile& file, int a, int b) override {
    auto* object = new CNoteObject;
    try {
      object->ReadObject(file, a, b);
    } catch (...) {
      delete object;
      return nullptr;
    }
    return object;
  }
  int GetUDFIcon() const override { return CNoteObject::kType; }
  int HasViewer() const override { return 0; }
  CMenu* GetContextMenu(bool, bool, std::string&) override { return nullptr; }
  CIcon* GetContextIcon(int) override { return nullptr; }
  int GetObjectIconIndex(const CObjInfo*) override { return 0; }
  void UpdateImageListIcons(CImageList*) override {}
};

// The one note table of the test program.
CNoteTable& Notes();

}  // namespace blastsearch
