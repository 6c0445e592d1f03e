// The error raised when a COM object or one of its interfaces cannot be obtained.
#pragma once

#include <windows.h>

#include <cstdio>
#include <stdexcept>
#include <string>

namespace talu {

class ComError : public std::runtime_error {
 public:
  ComError(const std::string& what, HRESULT code)
      : std::runtime_error(what + " (" + Hex(code) + ")"), code_(code) {}
  HRESULT code() const { return code_; }

 private:
  static std::string Hex(HRESULT code) {
    char text[16];
    std::snprintf(text, sizeof text, "0x%08lX", static_cast<unsigned long>(code));
    return text;
  }
  HRESULT code_;
};

}  // namespace talu
