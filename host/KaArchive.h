#pragma once

#include <cstddef>
#include <cstdint>
#include <list>
#include <memory>
#include <string>
#include <vector>

#include "platform/Exception.h"
#include "platform/Export.h"
#include "platform/File.h"
#include "platform/Object.h"

namespace blastsearch BLASTSEARCH_EXPORT {

class UX_RTTI_LINK;

// Archive data could not be read or written: truncated or malformed data, an
// unknown class, an object of the wrong class, or a call the archive cannot
// serve. The message says what was wrong and at which byte offset of the
// file.
class CKaArchiveException : public CException {
 public:
  CKaArchiveException(const std::string& reason, std::uint64_t offset);

  // Byte offset in the file where the fault was met.
  std::uint64_t GetOffset() const { return m_nOffset; }

 private:
  std::uint64_t m_nOffset;
};

// Reads or writes values and objects in one direction over a file, from the
// file's current position; the layout is described in host/KaArchiveFormat.h.
// One routine per class serves both directions: each value operation reads
// into its variable when loading and writes it when storing.
//
// Storing: data is in the file as soon as the storing call returns (a nested
// object is gathered in memory until it is complete, then written).
// Loading: the data is untrusted; anything malformed raises
// CKaArchiveException and nothing is allocated beyond what the remaining data
// can hold. After an object is loaded the file stands just past its data.
// After an exception the archive must not be used further except to destroy
// it. The file is not owned and must outlive the archive.
class CKaArchive {
 public:
  // `loading`: 1 = loading, 0 = storing. Throws CKaArchiveException when
  // `file` is null, and CFileException when a loading archive cannot take the
  // file's position and length.
  CKaArchive(CFile* file, int loading);
  CKaArchive(const CKaArchive&) = delete;
  CKaArchive& operator=(const CKaArchive&) = delete;
  // Does nothing further: stored data is already in the file.
  ~CKaArchive();

  // Non-zero in loading mode.
  int IsLoading() const { return m_bLoading ? 1 : 0; }

  // Read into or write from the variable; return the archive for chaining.
  CKaArchive& operator()(int& value);
  CKaArchive& operator()(double& value);
  CKaArchive& operator()(std::string& value);

  // Transfers the existing object `obj` (not owned) as an embedded object
  // framed with its class identity, through the link registered for `cls`
  // (which `obj` must be a kind of), or for the object's own class when `cls`
  // is null. `flag` must be 1: the object exists and is filled in place.
  // Loading checks that the stored class identity is that link's. Throws
  // CKaArchiveException, also when the class has no link.
  CKaArchive& XData(const CRuntimeClass* cls, CObject* obj, int flag);

  // Transfers an owning object list. Storing writes the count of members and
  // every non-null member in list order, framed with its class identity.
  // Loading creates each member through the link named in the data, checks
  // that it is a T (and derives from `cls` when given), fills it, and appends
  // it in stored order; members appended before a failure stay in the list.
  // `share` has no effect: members of an owning list are never shared.
  // Throws CKaArchiveException.
  template <class T>
  CKaArchive& XMember(std::list<std::unique_ptr<T>>& list, int share, const CRuntimeClass* cls);

  // Loading: non-zero when the data of the object being read is exhausted
  // (at the top level: the end of the file). Storing: 0.
  int AtEnd() const;

 private:
  std::uint64_t Remaining() const;
  [[noreturn]] void Fail(const std::string& reason) const { Fail(reason, m_nPos); }
  [[noreturn]] void Fail(const std::string& reason, std::uint64_t offset) const;
  // The link registered for exactly `cls`; fails when there is none.
  const UX_RTTI_LINK& LinkFor(const CRuntimeClass* cls) const;

  void Put(const void* data, std::size_t size);
  void PutU32(std::uint32_t value);
  void Get(void* data, std::size_t size);
  void ReadFromFile(void* data, std::size_t size);
  // Loading: whether an object frame is being read.
  bool InFrame() const { return m_ends.size() > 1; }
  std::uint32_t GetU32();
  // Reads a length or count and checks that `unit`-byte items of that number
  // fit in the bytes that remain.
  std::uint32_t GetCount(std::size_t unit, const char* what);

  // Writes `obj` framed through `link`.
  void StoreFramed(const UX_RTTI_LINK& link, CObject* obj);
  // Reads a frame head, enters the frame and returns the link it names; a
  // top-level frame's data is read into the window at once.
  const UX_RTTI_LINK& EnterFrame();
  // Leaves the current frame, skipping data its object left unread.
  void LeaveFrame();
  void LoadFramedData(const UX_RTTI_LINK& link, CObject* obj);

  void StoreMemberCount(std::size_t count);
  void StoreMember(CObject* obj);
  std::uint32_t LoadMemberCount();
  // Creates, checks (`belongs`, `cls`) and fills the next member; the caller
  // owns the result.
  [[nodiscard]] std::unique_ptr<CObject> LoadMember(const CRuntimeClass* cls,
                                                    bool (*belongs)(const CObject*));

  CFile* m_pFile;
  bool m_bLoading;
  // The file offset of the next byte read, or of the next byte written at the
  // top level. Loading: the end offsets of the object frames entered (the
  // first entry is the file's end).
  std::uint64_t m_nPos = 0;
  std::vector<std::uint64_t> m_ends;
  // Loading: the data of the top-level object being read, from file offset
  // m_nWindowStart; the file stands at its end.
  std::string m_window;
  std::uint64_t m_nWindowStart = 0;
  // Storing: the frames of objects not yet complete, written in place, and
  // the offsets in it of their length fields, innermost last.
  std::string m_pending;
  std::vector<std::size_t> m_openFrames;
};

template <class T>
CKaArchive& CKaArchive::XMember(std::list<std::unique_ptr<T>>& list, int /*share*/,
                                const CRuntimeClass* cls) {
  if (!m_bLoading) {
    std::size_t count = 0;
    for (const auto& member : list) count += member != nullptr ? 1 : 0;
    StoreMemberCount(count);
    for (const auto& member : list) {
      if (member != nullptr) StoreMember(member.get());
    }
    return *this;
  }
  const std::uint32_t count = LoadMemberCount();
  for (std::uint32_t i = 0; i < count; ++i) {
    std::unique_ptr<CObject> obj =
        LoadMember(cls, [](const CObject* o) { return dynamic_cast<const T*>(o) != nullptr; });
    std::unique_ptr<T> member(dynamic_cast<T*>(obj.get()));
    obj.release();
    list.push_back(std::move(member));
  }
  return *this;
}

}  // namespace BLASTSEARCH_EXPORT
