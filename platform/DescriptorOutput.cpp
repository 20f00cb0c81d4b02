#include "platform/DescriptorOutput.h"

#include <unistd.h>

#include <cerrno>

namespace blastsearch {

CDescriptorOutput::CDescriptorOutput(int fd) : m_fd(fd) {
  setp(m_buffer, m_buffer + sizeof m_buffer);
}

CDescriptorOutput::~CDescriptorOutput() { Drain(); }

CDescriptorOutput::int_type CDescriptorOutput::overflow(int_type c) {
  if (!Drain()) return traits_type::eof();
  if (!traits_type::eq_int_type(c, traits_type::eof())) {
    *pptr() = traits_type::to_char_type(c);
    pbump(1);
  }
  return traits_type::not_eof(c);
}

int CDescriptorOutput::sync() { return Drain() ? 0 : -1; }

bool CDescriptorOutput::Drain() {
  const char* at = pbase();
  while (m_nError == 0 && at < pptr()) {
    const ssize_t n = ::write(m_fd, at, static_cast<std::size_t>(pptr() - at));
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) {
      m_nError = n < 0 ? errno : EIO;
      break;
    }
    at += n;
  }
  setp(m_buffer, m_buffer + sizeof m_buffer);
  return m_nError == 0;
}

}  // namespace blastsearch
