// quillpack's entry point: hands the command line to the commands.
#include <iostream>
#include <string>
#include <vector>

#include "tools/quillpack/pack_commands.h"

int main(int argc, char** argv) {
  const std::vector<std::string> args(argv + (argc > 0 ? 1 : 0), argv + argc);
  return RunQuillpack(args, std::cout, std::cerr);
}
