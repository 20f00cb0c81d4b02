#include "host/KaArchive.h"

#include <algorithm>
#include <bit>
#include <cstring>
#include <limits>

#include "host/KaArchiveFormat.h"
#include "host/RttiLink.h"

namespace blastsearch {

namespace fmt = ka_archive_format;

namespace {

// A class name from the data, fit for a message: at most 40 characters,
// anything unprintable shown as '?'.
std::string Printable(const std::string& name) {
  std::string shown;
  for (char c : name.substr(0, 40)) shown += (c >= 0x20 && c < 0x7F) ? c : '?';
  if (name.size() > 40) shown += "...";
  return shown;
}

std::string NameOf(const CRuntimeClass* cls) {
  return cls != nullptr && cls->m_lpszClassName != nullptr ? cls->m_lpszClassName : "(none)";
}

}  // namespace

CKaArchiveException::CKaArchiveException(const std::string& reason, std::uint64_t offset)
    : CException("archive data at byte offset " + std::to_string(offset) + ": " + reason),
      m_nOffset(offset) {}

CKaArchive::CKaArchive(CFile* file, int loading) : m_pFile(file), m_bLoading(loading != 0) {
  if (file == nullptr) throw CKaArchiveException("no file given to the archive", 0);
  m_nPos = file->GetPosition();
  if (m_bLoading) m_ends.push_back(std::max(file->GetLength(), m_nPos));
}

CKaArchive::~CKaArchive() = default;

void CKaArchive::Fail(const std::string& reason, std::uint64_t offset) const {
  throw CKaArchiveException(reason, offset);
}

std::uint64_t CKaArchive::Remaining() const {
  const std::uint64_t end = m_ends.back();
  return m_nPos < end ? end - m_nPos : 0;
}

int CKaArchive::AtEnd() const { return m_bLoading && Remaining() == 0 ? 1 : 0; }

// ---- raw bytes ----

void CKaArchive::Put(const void* data, std::size_t size) {
  if (!m_openFrames.empty()) {
    m_pending.append(static_cast<const char*>(data), size);
    return;
  }
  m_pFile->Write(data, size);
  m_nPos += size;
}

void CKaArchive::PutU32(std::uint32_t value) {
  char buf[fmt::kLengthSize];
  fmt::EncodeFixed32(buf, value);
  Put(buf, sizeof buf);
}

void CKaArchive::Get(void* data, std::size_t size) {
  const std::uint64_t left = Remaining();
  if (size > left) {
    Fail("truncated data: " + std::to_string(size) + " bytes needed, " + std::to_string(left) +
         " left in the object");
  }
  if (InFrame()) {
    // Inside a frame every byte lies in the window (frames nest within it).
    std::memcpy(data, m_window.data() + (m_nPos - m_nWindowStart), size);
  } else {
    ReadFromFile(data, size);
  }
  m_nPos += size;
}

void CKaArchive::ReadFromFile(void* data, std::size_t size) {
  const std::size_t got = m_pFile->Read(data, size);
  if (got != size) {
    m_nPos += got;
    Fail("the file ends before the data it should hold");
  }
}

std::uint32_t CKaArchive::GetU32() {
  char buf[fmt::kLengthSize];
  Get(buf, sizeof buf);
  return fmt::DecodeFixed32(buf);
}

std::uint32_t CKaArchive::GetCount(std::size_t unit, const char* what) {
  const std::uint64_t at = m_nPos;
  const std::uint32_t count = GetU32();
  if (static_cast<std::uint64_t>(count) * unit > Remaining()) {
    Fail(std::string(what) + " " + std::to_string(count) + " is larger than the " +
             std::to_string(Remaining()) + " bytes left in the object",
         at);
  }
  return count;
}

// ---- values ----

CKaArchive& CKaArchive::operator()(int& value) {
  if (m_bLoading) {
    value = static_cast<int>(static_cast<std::int32_t>(GetU32()));
  } else {
    PutU32(static_cast<std::uint32_t>(static_cast<std::int32_t>(value)));
  }
  return *this;
}

CKaArchive& CKaArchive::operator()(double& value) {
  char buf[fmt::kDoubleSize];
  if (m_bLoading) {
    Get(buf, sizeof buf);
    value = std::bit_cast<double>(fmt::DecodeFixed64(buf));
  } else {
    fmt::EncodeFixed64(buf, std::bit_cast<std::uint64_t>(value));
    Put(buf, sizeof buf);
  }
  return *this;
}

CKaArchive& CKaArchive::operator()(std::string& value) {
  if (m_bLoading) {
    const std::uint32_t size = GetCount(1, "string length");
    std::string text(size, '\0');
    Get(text.data(), size);
    value = std::move(text);
  } else {
    if (value.size() > std::numeric_limits<std::uint32_t>::max()) {
      Fail("string of " + std::to_string(value.size()) + " bytes is too long to store");
    }
    PutU32(static_cast<std::uint32_t>(value.size()));
    Put(value.data(), value.size());
  }
  return *this;
}

// ---- objects ----

const UX_RTTI_LINK& CKaArchive::LinkFor(const CRuntimeClass* cls) const {
  const UX_RTTI_LINK* link = UX_RTTI_LINK::FromClass(cls);
  if (link == nullptr) Fail("class " + NameOf(cls) + " has no archive link");
  return *link;
}

void CKaArchive::StoreFramed(const UX_RTTI_LINK& link, CObject* obj) {
  if (m_openFrames.size() >= static_cast<std::size_t>(fmt::kMaxNesting)) {
    Fail("objects nested deeper than " + std::to_string(fmt::kMaxNesting));
  }
  // The frame goes into the pending data in place: its head, room for its
  // length, then the object's data; the length is filled in when the object
  // is complete, and a complete top-level frame goes to the file.
  const std::size_t frameStart = m_pending.size();
  const std::string head = fmt::FrameHead(link.GetName());
  m_pending.append(head);
  const std::size_t lengthAt = m_pending.size();
  m_pending.append(fmt::kLengthSize, '\0');
  m_openFrames.push_back(lengthAt);
  bool taken = false;
  try {
    taken = link.Serialize(obj, *this);
  } catch (...) {
    m_openFrames.pop_back();
    m_pending.resize(frameStart);
    throw;
  }
  m_openFrames.pop_back();
  const std::size_t size = m_pending.size() - lengthAt - fmt::kLengthSize;
  if (!taken || size > std::numeric_limits<std::uint32_t>::max()) {
    m_pending.resize(frameStart);
    if (!taken) Fail("link '" + link.GetName() + "' does not take an object of its class");
    Fail("object of " + std::to_string(size) + " bytes is too large to store");
  }
  fmt::EncodeFixed32(&m_pending[lengthAt], static_cast<std::uint32_t>(size));
  if (m_openFrames.empty()) {
    Put(m_pending.data(), m_pending.size());
    m_pending.clear();
  }
}

const UX_RTTI_LINK& CKaArchive::EnterFrame() {
  const std::uint64_t start = m_nPos;
  if (m_ends.size() > static_cast<std::size_t>(fmt::kMaxNesting)) {
    Fail("objects nested deeper than " + std::to_string(fmt::kMaxNesting), start);
  }
  std::string name;
  (*this)(name);
  const std::uint32_t size = GetCount(1, "object data length");
  const UX_RTTI_LINK* link = UX_RTTI_LINK::FromName(name);
  if (link == nullptr) Fail("unknown class name '" + Printable(name) + "'", start);
  if (!InFrame()) {
    // A top-level object is read whole (its size is checked against the
    // file above), so that its values come from memory and the file then
    // stands just past it.
    m_window.resize(size);
    ReadFromFile(m_window.data(), size);
    m_nWindowStart = m_nPos;
  }
  m_ends.push_back(m_nPos + size);
  return *link;
}

void CKaArchive::LeaveFrame() {
  // Data the object left unread is skipped; it is in the window already.
  m_nPos = std::max(m_nPos, m_ends.back());
  m_ends.pop_back();
  if (!InFrame()) m_window.clear();
}

void CKaArchive::LoadFramedData(const UX_RTTI_LINK& link, CObject* obj) {
  if (!link.Serialize(obj, *this)) {
    Fail("link '" + link.GetName() + "' does not take an object of class " +
         NameOf(obj->GetRuntimeClass()));
  }
  LeaveFrame();
}

CKaArchive& CKaArchive::XData(const CRuntimeClass* cls, CObject* obj, int flag) {
  if (flag != 1) Fail("embedded objects are transferred in place only (flag 1)");
  if (obj == nullptr) Fail("no object to transfer");
  if (cls != nullptr && !obj->IsKindOf(cls)) {
    Fail("object of class " + NameOf(obj->GetRuntimeClass()) + " is not a " + NameOf(cls));
  }
  const UX_RTTI_LINK& link = LinkFor(cls != nullptr ? cls : obj->GetRuntimeClass());
  if (!m_bLoading) {
    StoreFramed(link, obj);
    return *this;
  }
  const std::uint64_t start = m_nPos;
  const UX_RTTI_LINK& stored = EnterFrame();
  if (&stored != &link) {
    Fail("found an object of class '" + stored.GetName() + "' where '" + link.GetName() +
             "' was expected",
         start);
  }
  LoadFramedData(link, obj);
  return *this;
}

void CKaArchive::StoreMemberCount(std::size_t count) {
  if (count > std::numeric_limits<std::uint32_t>::max()) {
    Fail("list of " + std::to_string(count) + " members is too long to store");
  }
  PutU32(static_cast<std::uint32_t>(count));
}

void CKaArchive::StoreMember(CObject* obj) { StoreFramed(LinkFor(obj->GetRuntimeClass()), obj); }

std::uint32_t CKaArchive::LoadMemberCount() { return GetCount(fmt::kMinFrameSize, "member count"); }

std::unique_ptr<CObject> CKaArchive::LoadMember(const CRuntimeClass* cls,
                                                bool (*belongs)(const CObject*)) {
  const std::uint64_t start = m_nPos;
  const UX_RTTI_LINK& link = EnterFrame();
  const CRuntimeClass* linked = link.GetClass();
  if (cls != nullptr && (linked == nullptr || !linked->IsDerivedFrom(cls))) {
    Fail("an object of class '" + link.GetName() + "' does not belong in this list", start);
  }
  std::unique_ptr<CObject> obj(linked != nullptr ? linked->CreateObject() : nullptr);
  if (obj == nullptr) Fail("an object of class '" + link.GetName() + "' cannot be created", start);
  if (!belongs(obj.get())) {
    Fail("an object of class '" + link.GetName() + "' does not belong in this list", start);
  }
  LoadFramedData(link, obj.get());
  return obj;
}

}  // namespace blastsearch
