#pragma once

#include <cstddef>
#include <memory>
#include <string>
#include <vector>

#include "platform/Export.h"
#include "platform/Object.h"

namespace blastsearch BLASTSEARCH_EXPORT {

// List record of one stored object (or, in a subbase list, of one subbase):
// what lists, the attribute search and field values are made of, so that
// none of them reads an object's record. Filled by the host from the list
// columns; m_tableNumber and m_tableText are set only by the owning table
// (ResetObjInfo).
class CObjInfo {
 public:
  CObjInfo() = default;
  CObjInfo(int objType, unsigned long objId, std::string name)
      : m_name(std::move(name)), m_objId(objId), m_nObjType(objType) {}

  // The object's type (0: not a stored object), and the type its
  // user-defined fields belong to (the same).
  int GetObjType() const { return m_nObjType; }
  int GetUdfType() const { return m_nObjType; }
  void SetObjType(int type) { m_nObjType = type; }

  std::string m_name;         // the object's name
  unsigned long m_objId = 0;  // record identifier; 0 until stored
  long m_creationTime = 0;    // seconds since 1970 (GetOrvCurrentTime)
  std::string m_tableText;    // the table's list text
  int m_tableNumber = 0;      // the table's list number
  std::string m_strAuthor;    // the author's name

 private:
  int m_nObjType = 0;
};

// The host's list of object-info records of one table and database, in
// record-identifier order. Owns its records; a record's address stays valid
// while its object is stored (refreshing the list keeps the records of
// objects that still exist). Handed around as a CObject (get_table_pars).
class CObjInfoList : public CObject {
 public:
  using Items = std::vector<std::unique_ptr<CObjInfo>>;

  std::size_t GetCount() const { return m_items.size(); }
  bool IsEmpty() const { return m_items.empty(); }
  Items::const_iterator begin() const { return m_items.begin(); }
  Items::const_iterator end() const { return m_items.end(); }

  // The record of `objId` or of `name` (exact), or null; owned by the list.
  [[nodiscard]] CObjInfo* FindById(unsigned long objId) const;
  [[nodiscard]] CObjInfo* FindByName(const std::string& name) const;

  // Host side: puts `info` in identifier order, replacing a record of the
  // same identifier in place (its address stays); returns the record held.
  CObjInfo* Put(const CObjInfo& info);
  // Host side: removes the record of `objId`; harmless when there is none.
  void Remove(unsigned long objId);
  // Host side: replaces the whole content with `fresh` (identifier order),
  // keeping the records (and addresses) of identifiers present in both.
  void Merge(std::vector<CObjInfo>&& fresh);
  void Merge(Items&& fresh);
  void Clear() { m_items.clear(); }

 private:
  Items::iterator LowerBound(unsigned long objId);
  Items m_items;
};

}  // namespace BLASTSEARCH_EXPORT
