// Exceptions of the archive engine: the runtime's base class with a UTF-16 message, and
// EZipException, which carries a native error number and the error code it maps to.
#pragma once

#include <exception>
#include <initializer_list>
#include <string>

#include "ZipConst.h"
#include "text/ZipStrFunc.h"

namespace talu::zip {

class TComponent;

// Base of every exception the engine raises; what() gives the message as UTF-8.
class Exception : public std::exception {
 public:
  explicit Exception(std::u16string message);
  const std::u16string& Message() const { return message_; }
  const char* what() const noexcept override { return utf8_.c_str(); }

 private:
  std::u16string message_;
  std::string utf8_;
};

// Usage: throw EZipException(kNeArchiveFileNotFound, {fileName}, this);
class EZipException : public Exception {
 public:
  EZipException(int nativeError, const TComponent* component);
  EZipException(int nativeError, std::initializer_list<TFormatArg> args,
                const TComponent* component);

  int ErrorCode() const { return errorCode_; }
  int NativeError() const { return nativeError_; }

 private:
  int errorCode_;
  int nativeError_;
};

// Builds the message of an EZipException: the error code's text with `args` filled in, the
// component's name in front when it has one, and the five-digit native number behind.
std::u16string ZipErrorText(int nativeError, std::initializer_list<TFormatArg> args,
                            const TComponent* component);

}  // namespace talu::zip
