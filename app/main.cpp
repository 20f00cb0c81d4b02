#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <iostream>

#include "app/Commands.h"
#include "app/ParseCommand.h"
#include "platform/DescriptorOutput.h"

namespace blastsearch {

namespace {

// Standard input, output or error closed by whoever started the program is
// taken by /dev/null opened the wrong way round, so that using it fails (and
// is reported) instead of a file that the program opens later taking its
// number and receiving the output.
void HoldClosedStandardDescriptors() {
  for (int fd = 0; fd <= 2; ++fd) {
    if (::fcntl(fd, F_GETFD) != -1 || errno != EBADF) continue;
    const int held = ::open("/dev/null", fd == 0 ? O_WRONLY : O_RDONLY);
    if (held >= 0 && held != fd) ::close(held);  // a lower number was free: nothing to hold
  }
}

}  // namespace

}  // namespace blastsearch

int main(int argc, char** argv) {
  using namespace blastsearch;
  HoldClosedStandardDescriptors();
  CDescriptorOutput output(STDOUT_FILENO);
  std::ostream out(&output);
  std::vector<std::string> args(argv + 1, argv + argc);
  // The process ends right after the command: its memory goes back whole.
  LeaveLastResultToProcessEnd(true);
  return RunBlastSearch(args, out, std::cerr);
}
