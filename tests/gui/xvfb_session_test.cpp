// blastsearch-gui under a real X server, driven as a person drives it:
// start it, import three reports through the file dialog, open one, copy a
// hit row, close. The test starts its own Xvfb and skips, saying why, where
// Xvfb or the tools that type and read the clipboard are missing.
#include <gtest/gtest.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <thread>
#include <vector>

#include "support/LibrariesValue.h"
#include "support/ScopedEnvironment.h"
#include "support/TempDatabase.h"

namespace blastsearch {

namespace {

using namespace std::chrono_literals;

const std::string kGui = std::string(BLASTSEARCH_BINARY_DIR) + "/gui/blastsearch-gui";
const std::string kCommand = std::string(BLASTSEARCH_BINARY_DIR) + "/app/blastsearch";
const std::string kReports = std::string(BLASTSEARCH_SOURCE_DIR) + "/tests/data/blastplus/";

// Runs `command` through the shell; its standard output (trailing line
// ends removed) and exit status.
std::string Shell(const std::string& command, int* status = nullptr) {
  FILE* pipe = popen(command.c_str(), "r");
  if (pipe == nullptr) return {};
  std::string out;
  char buffer[4096];
  std::size_t read = 0;
  while ((read = std::fread(buffer, 1, sizeof buffer, pipe)) > 0) out.append(buffer, read);
  const int result = pclose(pipe);
  if (status != nullptr) *status = WIFEXITED(result) ? WEXITSTATUS(result) : -1;
  while (!out.empty() && (out.back() == '\n' || out.back() == '\r')) out.pop_back();
  return out;
}

bool HasTool(const char* name) {
  int status = 0;
  Shell(std::string("command -v ") + name + " >/dev/null 2>&1", &status);
  return status == 0;
}

// A process started with fork and exec, ended (SIGTERM) when the object
// ends unless it ended before.
class CChild {
 public:
  CChild() = default;
  CChild(const CChild&) = delete;
  CChild& operator=(const CChild&) = delete;
  ~CChild() {
    if (m_pid <= 0) return;
    kill(m_pid, SIGTERM);
    waitpid(m_pid, nullptr, 0);
  }
  // Starts `args` with `env` added to the environment and standard output
  // into `outFd` (-1: /dev/null). False when it cannot be started.
  bool Start(const std::vector<std::string>& args, const std::vector<std::string>& env,
             int outFd = -1) {
    m_pid = fork();
    if (m_pid < 0) return false;
    if (m_pid == 0) {
      for (const std::string& entry : env) putenv(const_cast<char*>(entry.c_str()));
      std::FILE* null = std::fopen("/dev/null", "w");
      if (null != nullptr) dup2(fileno(null), 2);
      if (outFd >= 0) {
        dup2(outFd, 1);
      } else if (null != nullptr) {
        dup2(fileno(null), 1);
      }
      std::vector<char*> argv;
      for (const std::string& arg : args) argv.push_back(const_cast<char*>(arg.c_str()));
      argv.push_back(nullptr);
      execvp(argv[0], argv.data());
      _exit(127);
    }
    return true;
  }
  // Waits up to `limit` for the process to end: its exit status, or -1
  // when it is still running (or was killed).
  int Wait(std::chrono::milliseconds limit) {
    const auto until = std::chrono::steady_clock::now() + limit;
    while (m_pid > 0) {
      int status = 0;
      const pid_t done = waitpid(m_pid, &status, WNOHANG);
      if (done == m_pid) {
        m_pid = 0;
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
      }
      if (std::chrono::steady_clock::now() > until) return -1;
      std::this_thread::sleep_for(50ms);
    }
    return -1;
  }
  pid_t Pid() const { return m_pid; }

 private:
  pid_t m_pid = 0;
};

// Starts Xvfb on a display it chooses itself; "" when it cannot start.
std::string StartXvfb(CChild& server) {
  int fds[2];
  if (pipe(fds) != 0) return {};
  const bool started = server.Start(
      {"Xvfb", "-displayfd", "1", "-screen", "0", "1280x1024x24", "-nolisten", "tcp"}, {}, fds[1]);
  close(fds[1]);
  std::string display;
  pollfd wait{fds[0], POLLIN, 0};
  while (started && poll(&wait, 1, 10000) > 0) {
    char c = 0;
    if (read(fds[0], &c, 1) != 1 || c == '\n') break;
    display += c;
  }
  close(fds[0]);
  return display.empty() ? std::string() : ":" + display;
}

// Polls `check` every 100 ms for up to `limit`.
template <typename Check>
bool Eventually(Check check, std::chrono::milliseconds limit) {
  const auto until = std::chrono::steady_clock::now() + limit;
  while (!check()) {
    if (std::chrono::steady_clock::now() > until) return false;
    std::this_thread::sleep_for(100ms);
  }
  return true;
}

TEST(XvfbSession, ImportsOpensCopiesAHitRowAndCloses) {
  for (const char* tool : {"Xvfb", "xdotool", "xclip"}) {
    if (!HasTool(tool)) GTEST_SKIP() << tool << " is not installed: no session under X";
  }
  CChild server;
  const std::string display = StartXvfb(server);
  if (display.empty()) GTEST_SKIP() << "Xvfb could not start";
  CTempDir dir("xsession");
  const std::string db = (dir.Path() / "db").string();
  const std::string x = "DISPLAY=" + display + " ";
  {
    // The program loads what its registry lists.
    CScopedEnvironment config("XDG_CONFIG_HOME", (dir.Path() / "config").string());
    SetLibraries("libblastsearch.so");
  }
  CChild gui;
  ASSERT_TRUE(gui.Start({kGui, "--db", db}, {"DISPLAY=" + display, "QT_QPA_PLATFORM=xcb",
                                             "XDG_CONFIG_HOME=" + (dir.Path() / "config").string(),
                                             // libdbus's own buffer, kept for the process's life
                                             "LSAN_OPTIONS=suppressions=" BLASTSEARCH_SOURCE_DIR
                                             "/tests/gui/xcb_leaks.supp"}));
  const std::string window =
      Shell("timeout 20 env " + x + "xdotool search --sync --name '^BLAST Results' | head -1");
  ASSERT_FALSE(window.empty()) << "the database window did not show";
  Shell(x + "xdotool windowfocus --sync " + window + " && sleep 0.5");

  // Import: Ctrl+O, the folder, then three files at once.
  Shell(x + "xdotool key ctrl+o && sleep 1");
  Shell(x + "xdotool type --delay 15 '" + kReports + "' && " + x + "xdotool key Return");
  Shell("sleep 0.7; " + x +
        "xdotool type --delay 15 '\"blastp.txt\" \"blastx.xml\" \"tblastn.json\"'; " + x +
        "xdotool key Return");
  int listed = 0;
  EXPECT_TRUE(Eventually(
      [&] {
        const std::string list = Shell(kCommand + " --db " + db + " list --json");
        listed = 0;
        for (std::size_t at = list.find("\"uid\""); at != std::string::npos;
             at = list.find("\"uid\"", at + 1)) {
          ++listed;
        }
        return listed == 9;
      },
      15s))
      << listed << " results stored";

  // Open the first result with Enter: Ctrl+L and Enter go through the
  // filter box into the list, Home and the arrows choose the first row
  // alone.
  Shell(x + "xdotool windowfocus --sync " + window + " && sleep 0.3 && " + x +
        "xdotool key ctrl+l Return Home Down Up Return");
  const std::string viewer =
      Shell("timeout 15 env " + x + "xdotool search --sync --name ' - BLAST Result$' | head -1");
  ASSERT_FALSE(viewer.empty()) << "no viewer opened";

  // Copy a hit row: a click on the hit table's first row, then Ctrl+C.
  Shell(x + "xdotool windowfocus --sync " + viewer + " && sleep 0.5");
  const std::string geometry = Shell(x + "xdotool getwindowgeometry --shell " + viewer);
  Shell(x + "xdotool mousemove --window " + viewer + " 200 408 click 1 && sleep 0.3 && " + x +
        "xdotool key ctrl+c && sleep 0.5");
  const std::string copied = Shell("timeout 5 env " + x + "xclip -o -selection clipboard");
  EXPECT_FALSE(copied.empty()) << "nothing copied; viewer at " << geometry;

  // Close the viewer (Escape), then the window (Ctrl+W): the program ends.
  Shell(x + "xdotool key Escape && sleep 0.5");
  Shell(x + "xdotool windowfocus --sync " + window + " && sleep 0.3 && " + x +
        "xdotool key ctrl+w");
  EXPECT_EQ(gui.Wait(10s), 0) << "the program did not end after its windows closed";
}

}  // namespace

}  // namespace blastsearch
