#pragma once

#include <list>
#include <memory>
#include <new>

#include "platform/Exception.h"
#include "platform/Export.h"

namespace blastsearch BLASTSEARCH_EXPORT {

// Helpers for the model's owning object lists (hits of a collection,
// elements of a hit). A list owns its items; null entries never come from
// this module but are tolerated and skipped.

// Appends to `target`, in order, a new copy-constructed item for every
// non-null item of `source`. `target` must not be `source`. Nothing already in
// `target` is removed. When an allocation fails, throws CMemoryException; the
// copies appended before the failure stay in `target` and the item being made
// is freed.
template <class T>
void AppendCopies(std::list<std::unique_ptr<T>>& target,
                  const std::list<std::unique_ptr<T>>& source) {
  for (const std::unique_ptr<T>& item : source) {
    if (!item) continue;
    try {
      target.push_back(std::make_unique<T>(*item));
    } catch (const std::bad_alloc&) {
      throw CMemoryException("out of memory while copying a BLAST search result");
    }
  }
}

// Deletes the items of `list` one by one in list order, skipping null
// entries, and leaves the list with that many null entries (the caller
// releases the list itself).
template <class T>
void DeleteInOrder(std::list<std::unique_ptr<T>>& list) {
  for (std::unique_ptr<T>& item : list) item.reset();
}

}  // namespace BLASTSEARCH_EXPORT
