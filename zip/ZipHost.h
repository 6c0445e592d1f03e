// What a caller of the archiver takes from the host system: the file modes of
// OpenArchive(mode), text typed by a user as password bytes, whether a file exists (to answer a
// volume request), and which inflater the build carries. The engine's own platform layer stays
// inside the library.
#pragma once

#include <cstdint>
#include <string>

namespace talu::zip {

// File modes of TZipBaseArchiver::OpenArchive(mode).
inline constexpr std::uint16_t kOpenCreate = 0xFF00;
// Read and write; others may only read.
inline constexpr std::uint16_t kOpenReadWrite = 0x22;
// Read only; others may do anything.
inline constexpr std::uint16_t kOpenReadOnly = 0x40;

// Text typed by the user as the password bytes the system's own archivers store (the ANSI
// code page on Windows, UTF-8 elsewhere).
std::string PasswordBytes(const std::u16string& typed);

bool FileExists(const std::u16string& path);

// Whether `charset` names a character set that TZipOptions::NameCharset can read names in.
bool IsKnownCharset(const std::string& charset);

// The raw deflate decoder this build was configured with ("zlib" or "ISA-L").
const char* InflaterName();

}  // namespace talu::zip
