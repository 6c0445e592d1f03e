// Entry point on POSIX systems: arguments arrive as UTF-8.
#include <cstdio>

#include "ZipRead.h"

int main(int argc, char** argv) {
  return talu::zipread::Run(std::vector<std::string>(argv + 1, argv + argc), stdout, stderr);
}
