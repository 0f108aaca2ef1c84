// quillpack's entry point: hands the command line to the commands, as UTF-8.
#include <iostream>
#include <string>
#include <vector>

#include "tools/quillpack/pack_commands.h"
#include "tools/quillpack/product_identity.h"

#ifdef _WIN32
namespace {

// UTF-8 of UTF-16 text; an unpaired surrogate becomes U+FFFD.
std::string Utf16ToUtf8(const wchar_t* text) {
  std::string out;
  for (const wchar_t* p = text; *p != 0; ++p) {
    unsigned c = static_cast<unsigned>(*p);
    if (c >= 0xD800 && c <= 0xDBFF && p[1] >= 0xDC00 && p[1] <= 0xDFFF) {
      c = 0x10000 + ((c - 0xD800) << 10) + (static_cast<unsigned>(p[1]) - 0xDC00);
      ++p;
    } else if (c >= 0xD800 && c <= 0xDFFF) {
      c = 0xFFFD;
    }
    AppendUtf8(c, &out);
  }
  return out;
}

}  // namespace

// Windows passes narrow arguments in the ANSI code page, which cannot carry every
// file name or title; the wide ones are taken instead.
int wmain(int argc, wchar_t** argv) {
  std::vector<std::string> args;
  for (int i = 1; i < argc; ++i) args.push_back(Utf16ToUtf8(argv[i]));
  return RunQuillpack(args, std::cout, std::cerr);
}
#else
int main(int argc, char** argv) {
  const std::vector<std::string> args(argv + (argc > 0 ? 1 : 0), argv + argc);
  return RunQuillpack(args, std::cout, std::cerr);
}
#endif
