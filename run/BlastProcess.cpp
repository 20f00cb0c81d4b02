// A BLAST+ program as a child process, read through pipes.

#include "run/BlastProcess.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <chrono>
#include <cstring>
#include <filesystem>
#include <thread>

#include "platform/File.h"

namespace blastsearch {

namespace {

void CloseFd(int& fd) {
  if (fd >= 0) ::close(fd);
  fd = -1;
}

// Writes `text` to standard error in the child (after fork: no allocation).
void ChildFail(const char* what, const char* path) {
  const char* reason = std::strerror(errno);
  for (const char* part : {"cannot run ", path, ": ", what, ": ", reason, "\n"}) {
    [[maybe_unused]] const ssize_t written = ::write(STDERR_FILENO, part, std::strlen(part));
  }
  ::_exit(127);
}

}  // namespace

CBlastProcess::~CBlastProcess() {
  Stop();
  CloseFd(m_outFd);
  CloseFd(m_errFd);
}

void CBlastProcess::Start(const std::string& executable, const std::vector<std::string>& arguments,
                          bool ownGroup) {
  m_bOwnGroup = ownGroup;
  m_strName = std::filesystem::path(executable).filename().string();
  int out[2], err[2];
  if (::pipe2(out, O_CLOEXEC) != 0) throw CFileException(m_strName, std::strerror(errno));
  if (::pipe2(err, O_CLOEXEC) != 0) {
    const int error = errno;
    ::close(out[0]);
    ::close(out[1]);
    throw CFileException(m_strName, std::strerror(error));
  }
  // Everything the child needs is made before fork: after it, only calls
  // that are safe in a child of a threaded process.
  std::vector<char*> argv;
  argv.push_back(const_cast<char*>(executable.c_str()));
  for (const std::string& word : arguments) argv.push_back(const_cast<char*>(word.c_str()));
  argv.push_back(nullptr);
  const pid_t parent = ::getpid();
  const pid_t pid = ::fork();
  if (pid == 0) {
    if (ownGroup) ::setpgid(0, 0);
    ::prctl(PR_SET_PDEATHSIG, SIGKILL);
    if (::getppid() != parent) ::_exit(127);  // the parent ended before prctl
    ::signal(SIGINT, SIG_DFL);
    ::signal(SIGPIPE, SIG_DFL);
    if (::dup2(out[1], STDOUT_FILENO) < 0 || ::dup2(err[1], STDERR_FILENO) < 0) {
      ChildFail("pipes", executable.c_str());
    }
    ::execv(executable.c_str(), argv.data());
    ChildFail("exec", executable.c_str());
  }
  const int error = errno;
  ::close(out[1]);
  ::close(err[1]);
  if (pid < 0) {
    ::close(out[0]);
    ::close(err[0]);
    throw CFileException(m_strName, std::string("cannot start: ") + std::strerror(error));
  }
  if (ownGroup) ::setpgid(pid, pid);  // also here: a stop right after start reaches the group
  m_pid = pid;
  m_outFd = out[0];
  m_errFd = err[0];
}

bool CBlastProcess::PollOutput(int ms) {
  pollfd fds[2] = {{m_outFd, POLLIN, 0}, {m_errFd, POLLIN, 0}};
  const nfds_t count = m_errFd >= 0 ? 2 : 1;
  const int ready = ::poll(fds, count, ms);
  if (ready < 0) {
    if (errno == EINTR) return false;
    throw CFileException(m_strName, std::strerror(errno));
  }
  if (count == 2 && fds[1].revents != 0) DrainErrors();
  return fds[0].revents != 0;
}

void CBlastProcess::DrainErrors() {
  if (m_errFd < 0) return;
  char buffer[4096];
  const ssize_t got = ::read(m_errFd, buffer, sizeof buffer);
  if (got < 0 && errno == EINTR) return;
  if (got <= 0) {
    CloseFd(m_errFd);
    return;
  }
  const std::size_t room = kMaxErrors - std::min(kMaxErrors, m_strErrors.size());
  m_strErrors.append(buffer, std::min(room, static_cast<std::size_t>(got)));
}

std::size_t CBlastProcess::Read(char* buffer, std::size_t size) {
  if (m_outFd < 0) return 0;
  for (;;) {
    if (m_pStop != nullptr && *m_pStop != 0) {
      Stop();
      throw CFileException(m_strName, "stopped");
    }
    if (!PollOutput(100)) continue;
    const ssize_t got = ::read(m_outFd, buffer, size);
    if (got > 0) return static_cast<std::size_t>(got);
    if (got == 0) {
      CloseFd(m_outFd);
      return 0;
    }
    if (errno != EINTR && errno != EAGAIN) throw CFileException(m_strName, std::strerror(errno));
  }
}

void CBlastProcess::Reap(int options) {
  if (m_pid <= 0) return;
  int status = 0;
  pid_t done;
  do {
    done = ::waitpid(m_pid, &status, options);
  } while (done < 0 && errno == EINTR);
  if (done != m_pid) return;
  m_nStatus = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
  m_pid = 0;
}

void CBlastProcess::Stop() {
  if (m_pid <= 0) return;
  const pid_t target = m_bOwnGroup ? -m_pid : m_pid;
  ::kill(target, SIGTERM);
  for (int i = 0; i < 50 && m_pid > 0; ++i) {
    Reap(WNOHANG);
    if (m_pid > 0) std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  if (m_pid > 0) {
    ::kill(target, SIGKILL);
    Reap(0);
  }
}

int CBlastProcess::Wait() {
  CloseFd(m_outFd);  // what it writes now is not read: it may end on a broken pipe
  while (m_errFd >= 0) {
    pollfd fd = {m_errFd, POLLIN, 0};
    if (::poll(&fd, 1, 100) > 0) DrainErrors();
    if (m_pStop != nullptr && *m_pStop != 0) Stop();
    if (m_pid <= 0) CloseFd(m_errFd);  // stopped: what else it says is not waited for
  }
  Reap(0);
  return m_nStatus;
}

std::string BlastErrorText(const std::string& errors) {
  std::vector<std::string> lines;
  std::size_t start = 0;
  while (start < errors.size()) {
    std::size_t end = errors.find('\n', start);
    if (end == std::string::npos) end = errors.size();
    std::string line = errors.substr(start, end - start);
    start = end + 1;
    while (!line.empty() && (line.back() == '\r' || line.back() == ' ')) line.pop_back();
    if (line.find_first_not_of(' ') != std::string::npos) lines.push_back(std::move(line));
  }
  // From the first line that says "error" on (a usage text comes before it);
  // warnings only when nothing else was said.
  auto first = std::find_if(lines.begin(), lines.end(), [](const std::string& line) {
    std::string lower = line;
    for (char& c : lower) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return lower.find("error") != std::string::npos;
  });
  if (first == lines.end()) first = lines.begin();
  std::string text, warnings;
  for (auto it = first; it != lines.end(); ++it) {
    std::string& into = it->rfind("Warning:", 0) == 0 ? warnings : text;
    if (!into.empty()) into += " ";
    into += *it;
  }
  if (text.empty()) text = warnings;
  if (text.empty()) return "no message";
  for (char& c : text) {
    if (static_cast<unsigned char>(c) < 0x20) c = ' ';
  }
  if (text.size() > 400) text = text.substr(0, 397) + "...";
  return text;
}

}  // namespace blastsearch
