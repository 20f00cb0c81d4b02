#include "app/InterruptCatcher.h"

#include <atomic>

namespace blastsearch {

namespace {

// Set from the signal handler; read by the readers through StopFlag().
int g_nStop = 0;

extern "C" void OnInterrupt(int) { std::atomic_ref<int>(g_nStop).store(1); }

}  // namespace

CInterruptCatcher::CInterruptCatcher() {
  std::atomic_ref<int>(g_nStop).store(0);
  struct sigaction action {};
  action.sa_handler = OnInterrupt;
  sigemptyset(&action.sa_mask);
  action.sa_flags = 0;  // no SA_RESTART: a read waiting for input returns EINTR
  sigaction(SIGINT, &action, &m_previous);
}

CInterruptCatcher::~CInterruptCatcher() { sigaction(SIGINT, &m_previous, nullptr); }

int* CInterruptCatcher::StopFlag() { return &g_nStop; }

void CInterruptCatcher::Rearm() {
  if (std::atomic_ref<int>(g_nStop).exchange(0) != 0) m_bInterrupted = true;
}

bool CInterruptCatcher::IsStopSet() { return std::atomic_ref<int>(g_nStop).load() != 0; }

}  // namespace blastsearch
