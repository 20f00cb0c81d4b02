#include "host/OrvTextFile.h"

#include <charconv>
#include <system_error>

namespace blastsearch {

namespace {

constexpr std::size_t kReadAhead = 4096;
constexpr char kSeparatorOpen = '@';
constexpr char kSeparatorClose = ':';
// A field number between them: a sign and at most ten digits.
constexpr std::size_t kMaxFieldChars = 11;

}  // namespace

COrvTextFile::COrvTextFile(const COrvFileSpec& spec) : m_spec(spec) {}

COrvTextFile::~COrvTextFile() = default;

int COrvTextFile::OpenInput(unsigned /*flags*/) {
  Close();
  auto file = std::make_unique<CFile>();
  if (!file->Open(m_spec.GetPath(), CFile::modeRead)) return 0;
  m_pMemory = nullptr;
  m_pFile = std::move(file);
  m_bWriting = false;
  return 1;
}

int COrvTextFile::OpenOutput(unsigned flags) {
  Close();
  auto file = std::make_unique<CFile>();
  const bool append = (flags & modeAppend) != 0;
  if (!(append && file->Open(m_spec.GetPath(), CFile::modeWrite)) &&
      !file->Open(m_spec.GetPath(), CFile::modeWrite | CFile::modeCreate)) {
    return 0;
  }
  if (append) file->Seek(0, CFile::end);
  m_pMemory = nullptr;
  m_pFile = std::move(file);
  m_bWriting = true;
  return 1;
}

void COrvTextFile::OpenMemoryInput(std::string bytes) {
  Close();
  auto file = std::make_unique<CMemFile>(std::move(bytes));
  m_pMemory = file.get();
  m_pFile = std::move(file);
  m_bWriting = false;
}

void COrvTextFile::OpenMemoryOutput() {
  Close();
  auto file = std::make_unique<CMemFile>();
  m_pMemory = file.get();
  m_pFile = std::move(file);
  m_bWriting = true;
}

const std::string& COrvTextFile::MemoryData() const {
  static const std::string empty;
  return m_pMemory != nullptr ? m_pMemory->Data() : empty;
}

void COrvTextFile::Close() {
  m_pMemory = nullptr;
  m_pFile.reset();
  m_bCheckedOut = false;
  m_buffer.clear();
  m_nBufferStart = 0;
  m_nBufferIndex = 0;
}

void COrvTextFile::Require(bool writing) const {
  const std::string& path = m_spec.GetPath();
  if (m_pFile == nullptr) throw CFileException(path, "text file is not open");
  if (m_bCheckedOut) throw CFileException(path, "text file is checked out to an archive");
  if (writing != m_bWriting) {
    throw CFileException(path, writing ? "text file is open for reading only"
                                       : "text file is open for writing only");
  }
}

void COrvTextFile::WriteString(const char* text) {
  Require(true);
  if (text != nullptr) m_pFile->Write(text, std::char_traits<char>::length(text));
}

int COrvTextFile::Peek() {
  if (m_nBufferIndex == m_buffer.size()) {
    m_nBufferStart += m_buffer.size();
    m_buffer.resize(kReadAhead);
    m_buffer.resize(m_pFile->Read(m_buffer.data(), kReadAhead));
    m_nBufferIndex = 0;
    if (m_buffer.empty()) return -1;
  }
  return static_cast<unsigned char>(m_buffer[m_nBufferIndex]);
}

void COrvTextFile::SeekText(std::uint64_t offset) {
  m_pFile->Seek(static_cast<std::int64_t>(offset), CFile::begin);
  m_buffer.clear();
  m_nBufferStart = offset;
  m_nBufferIndex = 0;
}

int COrvTextFile::ReadString(std::string& line) {
  Require(false);
  line.clear();
  int c = Peek();
  if (c < 0) return 0;
  while (c >= 0) {
    ++m_nBufferIndex;
    if (c == '\n') break;
    line += static_cast<char>(c);
    c = Peek();
  }
  if (!line.empty() && line.back() == '\r') line.pop_back();
  return 1;
}

int COrvTextFile::ReadLineEnd() {
  Require(false);
  int c = Peek();
  if (c == '\r') {
    const std::uint64_t start = TextPosition();
    ++m_nBufferIndex;
    if (Peek() == '\n') {
      ++m_nBufferIndex;
      return 1;
    }
    SeekText(start);
    return 0;
  }
  if (c != '\n') return 0;
  ++m_nBufferIndex;
  return 1;
}

int COrvTextFile::AtEnd() {
  Require(false);
  return Peek() < 0 ? 1 : 0;
}

CFile* COrvTextFile::CheckOutFilePtr() {
  Require(m_bWriting);
  if (!m_bWriting) SeekText(TextPosition());
  m_bCheckedOut = true;
  return m_pFile.get();
}

void COrvTextFile::CheckInFilePtr() {
  if (m_pFile == nullptr || !m_bCheckedOut) return;
  m_bCheckedOut = false;
  if (!m_bWriting) {
    m_buffer.clear();
    m_nBufferStart = m_pFile->GetPosition();
    m_nBufferIndex = 0;
  }
}

void WriteSeparator(int field, COrvTextFile& file) {
  const std::string separator = kSeparatorOpen + std::to_string(field) + kSeparatorClose;
  file.WriteString(separator.c_str());
}

int ReadSeparator(COrvTextFile& file, int& field) {
  file.Require(false);
  const std::uint64_t start = file.TextPosition();
  std::string text;
  bool closed = false;
  if (file.Peek() == kSeparatorOpen) {
    ++file.m_nBufferIndex;
    for (int c = file.Peek(); c >= 0 && text.size() <= kMaxFieldChars; c = file.Peek()) {
      ++file.m_nBufferIndex;
      if (c == kSeparatorClose) {
        closed = true;
        break;
      }
      text += static_cast<char>(c);
    }
  }
  int value = 0;
  const char* last = text.data() + text.size();
  auto [end, error] = std::from_chars(text.data(), last, value);
  if (closed && !text.empty() && error == std::errc() && end == last) {
    field = value;
    return 1;
  }
  file.SeekText(start);
  return 0;
}

void ReadCommentData(COrvTextFile& file, std::vector<std::string>* comments) {
  std::string line;
  while (file.ReadString(line)) {
    if (comments != nullptr) comments->push_back(line);
  }
}

}  // namespace blastsearch
