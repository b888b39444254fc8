// Conversions between the encodings a path meets on its way: the ANSI code
// page of the command line and of messages, UTF-16 for the file system, and
// UTF-8 in the shared world.
#pragma once

#include <windows.h>

#include <string>

namespace simcd
{

inline std::wstring Widen(const std::string& text, UINT codePage)
{
    const int cch = MultiByteToWideChar(codePage, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
    std::wstring wide(static_cast<size_t>(cch > 0 ? cch : 0), L'\0');
    if (cch > 0)
        MultiByteToWideChar(codePage, 0, text.data(), static_cast<int>(text.size()), &wide[0], cch);
    return wide;
}

inline std::string Narrow(const std::wstring& wide, UINT codePage)
{
    const int cb =
        WideCharToMultiByte(codePage, 0, wide.data(), static_cast<int>(wide.size()), nullptr, 0, nullptr, nullptr);
    std::string text(static_cast<size_t>(cb > 0 ? cb : 0), '\0');
    if (cb > 0)
        WideCharToMultiByte(codePage, 0, wide.data(), static_cast<int>(wide.size()), &text[0], cb, nullptr, nullptr);
    return text;
}

}  // namespace simcd
