#pragma once

#include <QIcon>
#include <map>
#include <memory>

#include "platform/Export.h"

namespace blastsearch BLASTSEARCH_EXPORT {

class CDBTableBase;
class CImageList;

// The host's image list of object pictures at one size: the host's own
// pictures at positions 0 to 41 and, from position 42 on, what each table
// puts there (UpdateImageListIcons). A table's objects show the picture of
// the position GetObjectIconIndex names. Owned by the window that shows them.
class CObjectIcons {
 public:
  // The host's images of `size` pixels (16 small, 32 large).
  explicit CObjectIcons(int size);
  ~CObjectIcons();
  CObjectIcons(const CObjectIcons&) = delete;
  CObjectIcons& operator=(const CObjectIcons&) = delete;

  // Lets `table` enter its images (once per table; later calls do nothing).
  void AddTableImages(CDBTableBase& table);
  // The picture at `index`: a table's image from position 42 on, else the
  // host's own; an empty icon past the end of the list.
  QIcon Image(int index);
  // The table's own icon (GetContextIcon of the list's size), or the host's
  // database picture when the table has none.
  QIcon TableIcon(CDBTableBase& table);
  // The number of images in the list.
  int GetImageCount() const;

  // The host's own pictures end before this position.
  static constexpr int kHostImages = 42;

 private:
  QIcon HostImage(int index) const;

  int m_nSize;
  std::unique_ptr<CImageList> m_pList;
  std::map<int, QIcon> m_cache;
  std::map<CDBTableBase*, bool> m_tables;
};

}  // namespace BLASTSEARCH_EXPORT
