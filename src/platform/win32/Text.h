// UTF-16 and UTF-8 for the Windows side of the platform.
#pragma once

#include <string>
#include <string_view>

namespace sifta::platform::win32 {

std::string Utf8FromWide(std::wstring_view wide);

}  // namespace sifta::platform::win32
