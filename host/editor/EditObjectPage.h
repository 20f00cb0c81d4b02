#pragma once

#include "platform/Export.h"

namespace blastsearch BLASTSEARCH_EXPORT {

class CDBObjectBase;

// Base of the pages of the object editor sheet. A page takes what it edits
// from the object when it is made and keeps it in plain members that the
// sheet's face (the Qt dialog, or a script in tests) edits; UpdateObject
// then writes them back into the object. The page's face is built from
// its dialog layout (resources) by the window layer. Pages are owned by
// whoever made them; the sheet only points at them.
class CEditObjectPage {
 public:
  // A page whose face is the dialog layout `layoutId`.
  explicit CEditObjectPage(int layoutId) : m_nLayoutId(layoutId) {}
  CEditObjectPage(const CEditObjectPage&) = delete;
  CEditObjectPage& operator=(const CEditObjectPage&) = delete;
  virtual ~CEditObjectPage();

  // The dialog layout of the page's face.
  int GetLayoutId() const { return m_nLayoutId; }
  // The icon index of the kind of object the page edits; the base has none: 0.
  virtual int GetObjXType();
  // Non-zero when, with `changes` (the change bits the sheet's pages have
  // answered so far), the object must be stored; the base asks for a store
  // exactly when something changed.
  virtual int NeedsChanges(int changes);
  // Writes the page's members into `object` where they differ from it and
  // answers the change bits (0: nothing changed). Bit 0 means the comment
  // changed and its file must be written. The base changes nothing: 0.
  // A null object is left alone (0).
  virtual int UpdateObject(CDBObjectBase* object);

 private:
  int m_nLayoutId;
};

// Change bits the host's pages answer from UpdateObject.
enum : int {
  kEditCommentChanged = 0x1,   // the comment (its file is written after the store)
  kEditGeneralChanged = 0x2,   // name or record number
  kEditUDFieldsChanged = 0x4,  // user-defined field values
  kEditKeywordsChanged = 0x8,  // keywords
};

// Dialog layouts of the host's own pages (faces built by the window layer
// without a layout; the numbers only name them).
enum : int {
  kLayoutEditGeneral = 4001,
  kLayoutEditUDFields = 4002,
  kLayoutEditComments = 4003,
  kLayoutEditKeywords = 4004,
};

}  // namespace BLASTSEARCH_EXPORT
