#include <iostream>

#include "app/Commands.h"

int main(int argc, char** argv) {
  std::vector<std::string> args(argv + 1, argv + argc);
  return RunBlastSearch(args, std::cout, std::cerr);
}
