#pragma once

#include <string>
#include <vector>

#include "host/RttiLink.h"
#include "platform/Export.h"
#include "platform/Object.h"
#include "util/StringVDataItem.h"

namespace blastsearch BLASTSEARCH_EXPORT {

class CKaArchive;

// An ordered collection of named text values with an archive form: each item
// stored as its element "<key>value</key>", one string per item, with no
// count, so the collection's record runs to the end of its object's data.
// Created by the archive through its link "~Data~".
class CStringVDataStorage : public CObject {
  DECLARE_DYNCREATE(CStringVDataStorage)

 public:
  CStringVDataStorage() = default;
  CStringVDataStorage(const CStringVDataStorage& source)
      : CObject(source), m_items(source.m_items) {}
  // Empties this collection and appends copies of the source's items in order.
  CStringVDataStorage& operator=(const CStringVDataStorage& source);
  ~CStringVDataStorage() override = default;

  // Storing: writes every item's element in order. Loading: empties the
  // collection, then reads strings until the object's data ends and appends
  // an item for each string that parses as an element; other strings are
  // skipped. Archive errors (CKaArchiveException) pass through; after one,
  // the collection holds the items read so far.
  void Serialize(CKaArchive& ar);
  // The link's serialize function: calls object->Serialize(ar).
  static void _ux_serialize(CStringVDataStorage* object, CKaArchive& ar);
  // The archive link "~Data~" of this class.
  static UX_RTTI_LINK _UX_RTTI_LINK;

  // Replaces the value of the first item with `key` (which keeps its place),
  // or appends a new item at the end.
  void Set(std::string key, std::string value);

  // For the first item with `key`: copies its value into `value`, stores its
  // position (from 0) through `index` when it is not null, and returns 1.
  // Returns 0 and leaves both unchanged when no item has that key.
  int Lookup(std::string key, std::string& value, int* index) const;

  // Copies key and value of the item at `index` and returns 1; returns 0 and
  // leaves both unchanged when `index` is out of range.
  int Get(int index, std::string& key, std::string& value) const;

  // A copy of the item at `index`, or an empty item when it is out of range.
  CStringVDataItem GetItem(int index) const;

  int GetCount() const { return static_cast<int>(m_items.size()); }
  void RemoveAll() { m_items.clear(); }

 private:
  std::vector<CStringVDataItem> m_items;  // in insertion order
};

}  // namespace BLASTSEARCH_EXPORT
