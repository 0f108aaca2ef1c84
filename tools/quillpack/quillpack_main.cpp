// quillpack's entry point: hands the command line to the commands, as UTF-8.
#include <iostream>
#include <string>
#include <vector>

#include "tools/quillpack/pack_commands.h"
#include "tools/quillpack/product_identity.h"

#ifdef _WIN32
// Windows passes narrow arguments in the ANSI code page, which cannot carry every
// file name or title; the wide ones are taken instead.
int wmain(int argc, wchar_t** argv) {
  std::vector<std::string> args;
  for (int i = 1; i < argc; ++i)
    args.push_back(Utf16ToUtf8(reinterpret_cast<const char16_t*>(argv[i])));
  return RunQuillpack(args, std::cout, std::cerr);
}
#else
int main(int argc, char** argv) {
  const std::vector<std::string> args(argv + (argc > 0 ? 1 : 0), argv + argc);
  return RunQuillpack(args, std::cout, std::cerr);
}
#endif
