// blastsearch run as a process, for what only a process shows: standard
// input and pipes, output that cannot be written, a disk that fills up, and
// Ctrl-C.

#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>
#include <string>
#include <vector>

#include "app/AppTest.h"
#include "support/Corpus.h"

namespace blastsearch {

namespace {

// A plain-text report with `hits` hits of one segment pair each.
std::string ManyHits(int hits) {
  std::string report =
      "BLASTP 2.0.10 [Aug-26-1999]\n\nQuery= test|3 many hits\n         (12 letters)\n\n"
      "                                                                   Score     E\n"
      "Sequences producing significant alignments:                        (bits)  Value\n\n";
  for (int i = 1; i <= hits; ++i) {
    report += "gi|" + std::to_string(i) + "|sp|P" + std::to_string(i) + "| PROTEIN   45  2e-05\n";
  }
  for (int i = 1; i <= hits; ++i) {
    report += "\n>gi|" + std::to_string(i) + "|sp|P" + std::to_string(i) + "| PROTEIN NUMBER " +
              std::to_string(i) +
              "\n           Length = 40\n\n"
              " Score = 45.8 bits (107), Expect = 2e-05\n"
              " Identities = 10/12 (83%), Positives = 11/12 (91%)\n\n"
              "Query: 1  MAATKQGGGDDG 12\n          MA TKQGGGD G\nSbjct: 5  MAQTKQGGGDAG 16\n\n";
  }
  return report + "  Database: tiny\n";
}

// How the child's standard output is set up.
enum class Output { Capture, Closed, DevFull };

// The blastsearch program in a child process. Standard input is a pipe that
// the test writes; output and messages go to files of `dir`.
class Child {
 public:
  Child(const TempDir& dir, std::vector<std::string> args, Output output = Output::Capture,
        rlim_t fileSizeLimit = RLIM_INFINITY)
      : m_out(dir.Path("child.out").string()), m_err(dir.Path("child.err").string()) {
    std::signal(SIGPIPE, SIG_IGN);  // a child that stops reading must not end the test
    args.insert(args.begin(), BLASTSEARCH_BINARY_DIR "/app/blastsearch");
    std::vector<char*> argv;
    for (std::string& arg : args) argv.push_back(arg.data());
    argv.push_back(nullptr);
    int input[2];
    if (::pipe2(input, O_CLOEXEC) != 0) throw std::runtime_error("no pipe");
    m_pid = ::fork();
    if (m_pid == 0) {  // only calls that are safe between fork and exec
      ::dup2(input[0], STDIN_FILENO);
      ::dup2(::open(m_err.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644), 2);
      if (output == Output::Closed) {
        ::close(STDOUT_FILENO);
      } else {
        const char* out = output == Output::DevFull ? "/dev/full" : m_out.c_str();
        ::dup2(::open(out, O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644), STDOUT_FILENO);
      }
      const rlimit limit{fileSizeLimit, fileSizeLimit};
      ::setrlimit(RLIMIT_FSIZE, &limit);
      ::signal(SIGXFSZ, SIG_IGN);  // writes past the limit fail instead of ending the process
      ::signal(SIGPIPE, SIG_DFL);
      ::execv(argv[0], argv.data());
      ::_exit(127);
    }
    ::close(input[0]);
    m_nInput = input[1];
  }
  ~Child() {
    CloseInput();
    if (m_pid > 0) Wait();
  }

  // Writes all of `bytes` to the child's standard input; returns when the
  // child has taken all but what the pipe holds.
  void Write(const std::string& bytes) {
    for (std::size_t done = 0; done < bytes.size();) {
      const ssize_t n = ::write(m_nInput, bytes.data() + done, bytes.size() - done);
      if (n <= 0) return;
      done += static_cast<std::size_t>(n);
    }
  }
  void CloseInput() {
    if (m_nInput >= 0) ::close(m_nInput);
    m_nInput = -1;
  }
  void Interrupt() { ::kill(m_pid, SIGINT); }
  // The exit status, or 128 + the signal that ended the child.
  int Wait() {
    CloseInput();
    int status = 0;
    while (::waitpid(m_pid, &status, 0) < 0 && errno == EINTR) {
    }
    m_pid = -1;
    return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
  }
  std::string Out() const { return ReadWholeFile(m_out); }
  std::string Err() const { return ReadWholeFile(m_err); }

 private:
  std::string m_out;
  std::string m_err;
  pid_t m_pid = -1;
  int m_nInput = -1;
};

TEST(ParseProcess, ReadsStandardInputAndPipesOnce) {
  TempDir dir("process");
  const std::string report = ManyHits(300);
  const std::string file = dir.File("r.txt", report).string();
  const CommandRun fromFile = Blastsearch({"parse", file, "--summary"});
  ASSERT_EQ(fromFile.out, "hits=300 elements=300 query_length=12\n");
  for (const char* name : {"-", "/dev/stdin"}) {
    Child child(dir, {"parse", name, "--summary"});
    child.Write(report);
    EXPECT_EQ(child.Wait(), kExitOk) << name << ": " << child.Err();
    EXPECT_EQ(child.Out(), fromFile.out) << name;
  }
  // The limit holds for streams; a file on disk is read whole.
  Child capped(dir, {"parse", "-", "--summary", "--max-input", "1k"});
  capped.Write(report);
  EXPECT_EQ(capped.Wait(), kExitFailed);
  EXPECT_NE(capped.Err().find("standard input: more than 1 KiB of input"), std::string::npos)
      << capped.Err();
  EXPECT_EQ(Blastsearch({"parse", file, "--summary", "--max-input", "1k"}).out, fromFile.out);
}

TEST(ParseProcess, OutputThatCannotBeWrittenEndsWithStatusOneAndAMessage) {
  TempDir dir("process");
  const std::string file = dir.File("r.txt", ManyHits(50)).string();
  struct Case {
    Output output;
    rlim_t limit;
    const char* format;
    const char* reason;
  } cases[] = {
      {Output::DevFull, RLIM_INFINITY, "--json", "No space left on device"},
      {Output::DevFull, RLIM_INFINITY, "--summary", "No space left on device"},
      {Output::DevFull, RLIM_INFINITY, "--reader=auto", "No space left on device"},
      {Output::Closed, RLIM_INFINITY, "--json", "Bad file descriptor"},
      {Output::Capture, 4096, "--json", "File too large"},
  };
  for (const Case& c : cases) {
    Child child(dir, {"parse", file, c.format}, c.output, c.limit);
    EXPECT_EQ(child.Wait(), kExitFailed) << c.format << " " << c.reason;
    EXPECT_NE(child.Err().find(std::string("standard output: write failed: ") + c.reason),
              std::string::npos)
        << child.Err();
  }
}

TEST(ParseProcess, SaveThatFillsTheDiskKeepsTheOlderFile) {
  TempDir dir("process");
  const std::string file = dir.File("r.txt", ManyHits(50)).string();
  const std::string saved = dir.File("r.bqt", "older result").string();
  Child child(dir, {"parse", file, "--summary", "--save", saved}, Output::Capture, 4096);
  EXPECT_EQ(child.Wait(), kExitFailed);
  EXPECT_NE(
      child.Err().find("the result is not saved: " + saved + ": write failed: File too large"),
      std::string::npos)
      << child.Err();
  EXPECT_EQ(ReadWholeFile(saved), "older result");
  EXPECT_EQ(dir.Names(), (std::vector<std::string>{"child.err", "child.out", "r.bqt", "r.txt"}));
}

// Ctrl-C while the report comes through a pipe: what arrived is parsed and
// shown as partial, with status 130, and saved only when asked.
TEST(ParseProcess, InterruptedReadingShowsAPartialResultAndSavesItOnlyWhenAsked) {
  TempDir dir("process");
  const std::string report = ManyHits(4000);
  const std::string saved = dir.Path("r.bqt").string();
  for (bool savePartial : {false, true}) {
    std::vector<std::string> args{"parse", "-", "--summary", "--save", saved};
    if (savePartial) args.push_back("--save-partial");
    Child child(dir, args);
    // Twice what the pipe holds: the child is reading when the write returns.
    child.Write(report.substr(0, 256 << 10));
    child.Interrupt();
    EXPECT_EQ(child.Wait(), kExitInterrupted) << child.Err();
    EXPECT_NE(child.Err().find("standard input: interrupted; the result is partial"),
              std::string::npos)
        << child.Err();
    const std::string summary = child.Out();
    EXPECT_EQ(summary.rfind("hits=", 0), 0u) << summary;
    EXPECT_NE(summary.rfind("hits=4000 ", 0), 0u) << summary;
    EXPECT_EQ(summary.rfind("hits=0 ", 0), std::string::npos) << summary;
    std::vector<std::string> files{"child.err", "child.out"};
    if (savePartial) files.push_back("r.bqt");
    EXPECT_EQ(dir.Names(), files);
    if (savePartial) {
      EXPECT_EQ(Blastsearch({"parse", saved, "--summary"}).out, summary);
    }
  }
}

}  // namespace

}  // namespace blastsearch
