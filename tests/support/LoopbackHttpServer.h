#pragma once

// An HTTP server of a test's own on the loopback address, answering each
// request from a script: for the remote search's tests.

#include <gtest/gtest.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <deque>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace blastsearch {

// What the server does with one request.
struct CAnswer {
  enum Kind { kPage, kDrop, kStall };
  Kind m_kind = kPage;
  std::string m_strBody;
};

// A page answered with status 200; a connection dropped unanswered; a
// body promised and never sent (longer than the client's stall timeout).
inline CAnswer Page(std::string body) { return {CAnswer::kPage, std::move(body)}; }
inline const CAnswer kDrop{CAnswer::kDrop, ""};
inline const CAnswer kStall{CAnswer::kStall, ""};

// An HTTP server on 127.0.0.1 that answers each request with the next answer
// of its script (status 500 when the script is used up) and keeps the
// request bodies.
class CLoopbackServer {
 public:
  explicit CLoopbackServer(std::vector<CAnswer> script) : m_script(script.begin(), script.end()) {
    m_listen = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof address;
    if (::bind(m_listen, reinterpret_cast<sockaddr*>(&address), length) != 0 ||
        ::listen(m_listen, 8) != 0 ||
        ::getsockname(m_listen, reinterpret_cast<sockaddr*>(&address), &length) != 0) {
      ADD_FAILURE() << "no loopback server";
    }
    m_nPort = ntohs(address.sin_port);
    m_thread = std::thread([this] { Serve(); });
  }
  ~CLoopbackServer() {
    m_bEnd = true;
    m_thread.join();
    ::close(m_listen);
  }
  std::string Url() const { return "http://127.0.0.1:" + std::to_string(m_nPort) + "/Blast.cgi"; }
  std::vector<std::string> Bodies() {
    std::lock_guard lock(m_mutex);
    return m_bodies;
  }

 private:
  void Serve() {
    while (!m_bEnd) {
      pollfd fd{m_listen, POLLIN, 0};
      if (::poll(&fd, 1, 50) <= 0) continue;
      const int connection = ::accept4(m_listen, nullptr, nullptr, SOCK_CLOEXEC);
      if (connection < 0) continue;
      Answer(connection);
      ::close(connection);
    }
  }

  void Answer(int connection) {
    std::string request;
    char buffer[8192];
    std::size_t need = std::string::npos;
    while (need == std::string::npos || request.size() < need) {
      const ssize_t got = ::recv(connection, buffer, sizeof buffer, 0);
      if (got <= 0) return;
      request.append(buffer, static_cast<std::size_t>(got));
      const std::size_t head = request.find("\r\n\r\n");
      if (need == std::string::npos && head != std::string::npos) {
        const std::size_t field = request.find("Content-Length: ");
        need = head + 4 + (field < head ? std::stoul(request.substr(field + 16)) : 0);
      }
    }
    CAnswer answer = Page("");
    bool scripted = false;
    {
      std::lock_guard lock(m_mutex);
      m_bodies.push_back(request.substr(request.find("\r\n\r\n") + 4));
      if (!m_script.empty()) {
        answer = m_script.front();
        m_script.pop_front();
        scripted = true;
      }
    }
    if (answer.m_kind == CAnswer::kDrop) return;
    const std::string head =
        std::string(scripted ? "HTTP/1.1 200 OK" : "HTTP/1.1 500 Oops") +
        "\r\nContent-Type: text/html\r\nContent-Length: " +
        std::to_string(answer.m_kind == CAnswer::kStall ? 1000 : answer.m_strBody.size()) +
        "\r\nConnection: close\r\n\r\n";
    Send(connection, head + (answer.m_kind == CAnswer::kStall ? "<html>" : answer.m_strBody));
    if (answer.m_kind == CAnswer::kStall) {
      for (int i = 0; i < 40 && !m_bEnd; ++i) {  // longer than the client's stall timeout
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
      }
    }
  }

  static void Send(int connection, const std::string& bytes) {
    std::size_t done = 0;
    while (done < bytes.size()) {
      const ssize_t put =
          ::send(connection, bytes.data() + done, bytes.size() - done, MSG_NOSIGNAL);
      if (put <= 0) return;
      done += static_cast<std::size_t>(put);
    }
  }

  int m_listen = -1;
  int m_nPort = 0;
  std::atomic<bool> m_bEnd{false};
  std::mutex m_mutex;
  std::deque<CAnswer> m_script;
  std::vector<std::string> m_bodies;
  std::thread m_thread;
};

}  // namespace blastsearch
