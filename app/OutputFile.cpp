#include "app/OutputFile.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>

#include "app/CommandContext.h"

COutputFile::COutputFile(const std::string& path, std::ostream& standardOutput)
    : m_strPath(path), m_standardOutput(standardOutput), m_bToFile(!path.empty() && path != "-") {}

COutputFile::~COutputFile() {
  if (m_strTemporary.empty()) return;
  m_file.close();
  std::error_code error;
  std::filesystem::remove(m_strTemporary, error);
}

bool COutputFile::Open(CCommandMessages& messages) {
  if (!m_bToFile) return true;
  m_strTemporary = m_strPath + ".tmp-" + std::to_string(::getpid());
  m_file.open(m_strTemporary, std::ios::binary | std::ios::trunc);
  if (m_file) return true;
  messages.Fail(m_strPath + ": cannot create: " + std::strerror(errno));
  m_strTemporary.clear();
  return false;
}

std::ostream& COutputFile::Stream() { return m_bToFile ? m_file : m_standardOutput; }

bool COutputFile::Commit(CCommandMessages& messages) {
  if (!m_bToFile) return FlushOutput(m_standardOutput, messages);
  m_file.flush();
  const bool written = static_cast<bool>(m_file);
  m_file.close();
  if (!written || m_file.fail()) {
    messages.Fail(m_strPath + ": the write failed; the file is left as it was");
    return false;
  }
  // The bytes reach the disk before the name points at them.
  const int fd = ::open(m_strTemporary.c_str(), O_RDONLY);
  const bool synced = fd >= 0 && ::fsync(fd) == 0;
  if (fd >= 0) ::close(fd);
  if (!synced || std::rename(m_strTemporary.c_str(), m_strPath.c_str()) != 0) {
    messages.Fail(m_strPath + ": cannot write: " + std::strerror(errno));
    return false;
  }
  m_strTemporary.clear();
  return true;
}
