#include "output/OutputFile.h"

#include <cerrno>
#include <cstring>
#include <ostream>
#include <vector>

#include "output/CommandMessages.h"

namespace blastsearch {

// A stream buffer over the file being written; the first failed write is
// kept (the stream goes bad) and reported at Commit.
class COutputFile::CFileBuffer : public std::streambuf {
 public:
  explicit CFileBuffer(CFile& file) : m_file(file), m_buffer(1 << 16) {
    setp(m_buffer.data(), m_buffer.data() + m_buffer.size());
  }

  // The reason of the first failed write, or empty.
  const std::string& Failure() const { return m_strFailure; }

 protected:
  int_type overflow(int_type c) override {
    if (!Drain()) return traits_type::eof();
    if (!traits_type::eq_int_type(c, traits_type::eof())) {
      *pptr() = traits_type::to_char_type(c);
      pbump(1);
    }
    return traits_type::not_eof(c);
  }
  int sync() override { return Drain() ? 0 : -1; }

 private:
  bool Drain() {
    if (!m_strFailure.empty()) return false;
    const std::size_t count = static_cast<std::size_t>(pptr() - pbase());
    try {
      if (count != 0) m_file.Write(pbase(), count);
    } catch (const CFileException& e) {
      m_strFailure = e.what();
      return false;
    }
    setp(m_buffer.data(), m_buffer.data() + m_buffer.size());
    return true;
  }

  CFile& m_file;
  std::vector<char> m_buffer;
  std::string m_strFailure;
};

COutputFile::COutputFile(const std::string& path, std::ostream& standardOutput)
    : m_strPath(path), m_standardOutput(standardOutput), m_bToFile(!path.empty() && path != "-") {}

COutputFile::~COutputFile() = default;

bool COutputFile::Open(CCommandMessages& messages) {
  if (!m_bToFile) return true;
  try {
    if (!m_file.Create(m_strPath)) {
      messages.Fail(m_strPath + ": cannot create: " + std::strerror(errno));
      return false;
    }
  } catch (const CFileException& e) {
    messages.Fail(e.what());
    return false;
  }
  m_pBuffer = std::make_unique<CFileBuffer>(m_file);
  m_pStream = std::make_unique<std::ostream>(m_pBuffer.get());
  return true;
}

std::ostream& COutputFile::Stream() {
  return m_bToFile && m_pStream ? *m_pStream : m_standardOutput;
}

bool COutputFile::Commit(CCommandMessages& messages) {
  if (!m_bToFile) return FlushOutput(m_standardOutput, messages);
  m_pStream->flush();
  if (!*m_pStream) {
    const std::string reason = m_pBuffer->Failure();
    messages.Fail((reason.empty() ? m_strPath + ": the write failed" : reason) +
                  "; the file is left as it was");
    return false;
  }
  try {
    m_file.Commit();
  } catch (const CFileException& e) {
    messages.Fail(e.what());
    return false;
  }
  return true;
}

}  // namespace blastsearch
