// Entry point on Windows: arguments arrive as UTF-16 and are handed on as UTF-8; the output is
// written as bytes (UTF-8, "\n" line ends).
#include <fcntl.h>
#include <io.h>

#include <cstdio>

#include "ZipRead.h"
#include "text/ZipUtf.h"

int wmain(int argc, wchar_t** argv) {
  _setmode(_fileno(stdout), _O_BINARY);
  std::vector<std::string> args;
  for (int i = 1; i < argc; ++i) {
    args.push_back(talu::zip::Utf16ToUtf8(reinterpret_cast<const char16_t*>(argv[i])));
  }
  return talu::zipread::Run(args, stdout, stderr);
}
