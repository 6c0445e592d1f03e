#include "ZipExcept.h"

#include <cstdio>

#include "ZipComponent.h"
#include "ZipConst.h"
#include "text/ZipUtf.h"

namespace talu::zip {

Exception::Exception(std::u16string message)
    : message_(std::move(message)), utf8_(Utf16ToUtf8(message_)) {}

std::u16string ZipErrorText(int nativeError, std::initializer_list<TFormatArg> args,
                            const TComponent* component) {
  const std::u16string_view pattern = ZipErrorMessage(ZipNativeToErrorCode(nativeError));
  std::u16string text = args.size() > 0 ? Format(pattern, args) : std::u16string(pattern);
  if (component != nullptr && !component->Name().empty()) {
    text = Format(u"%s: %s", {component->Name(), text});
  }
  // Five digits, blanks of the right-aligned number turned into zeros (-1 gives "000-1").
  char number[16];
  const int length = std::snprintf(number, sizeof number, "%5d", nativeError);
  std::u16string digits(number, number + length);
  for (char16_t& c : digits) c = c == u' ' ? u'0' : c;
  return text + u" - Native error: " + digits;
}

EZipException::EZipException(int nativeError, const TComponent* component)
    : EZipException(nativeError, {}, component) {}

EZipException::EZipException(int nativeError, std::initializer_list<TFormatArg> args,
                             const TComponent* component)
    : Exception(ZipErrorText(nativeError, args, component)),
      errorCode_(ZipNativeToErrorCode(nativeError)),
      nativeError_(nativeError) {}

}  // namespace talu::zip
