#include "DlgTemplate.h"

#include <cwctype>
#include <stdexcept>

DlgTemplate::DlgTemplate(const void* data, size_t size)
    : m_data(static_cast<const BYTE*>(data)), m_size(size)
{
    if (Word() != 1 || Word() != 0xFFFF)
        throw std::runtime_error("not an extended dialog template");
    helpId = Dword();
    exStyle = Dword();
    style = Dword();
    const WORD count = Word();
    x = Short(), y = Short(), cx = Short(), cy = Short();
    menu = NameOrOrdinal();
    windowClass = NameOrOrdinal();
    title = String();
    if (style & (DS_SETFONT | DS_SHELLFONT)) {
        pointSize = Word();
        weight = Word();
        const WORD italicAndCharset = Word();
        italic = LOBYTE(italicAndCharset);
        charset = HIBYTE(italicAndCharset);
        typeface = String();
    }
    for (WORD i = 0; i < count; ++i) {
        m_pos = (m_pos + 3) & ~static_cast<size_t>(3);  // items start on a DWORD
        Item item;
        item.helpId = Dword();
        item.exStyle = Dword();
        item.style = Dword();
        item.x = Short(), item.y = Short(), item.cx = Short(), item.cy = Short();
        item.id = Dword();
        item.className = NameOrOrdinal();
        for (wchar_t& c : item.className)
            c = static_cast<wchar_t>(std::towlower(c));
        if (item.className == L"#128")
            item.className = L"button";
        else if (item.className == L"#130")
            item.className = L"static";
        item.title = NameOrOrdinal();
        m_pos += Word();  // creation data
        items.push_back(item);
    }
    if (m_pos > m_size)
        throw std::runtime_error("dialog template ends early");
}

WORD DlgTemplate::Word()
{
    if (m_pos + 2 > m_size)
        throw std::runtime_error("dialog template ends early");
    const WORD w = static_cast<WORD>(m_data[m_pos] | (m_data[m_pos + 1] << 8));
    m_pos += 2;
    return w;
}

DWORD DlgTemplate::Dword()
{
    const DWORD low = Word();
    return low | (static_cast<DWORD>(Word()) << 16);
}

std::wstring DlgTemplate::String()
{
    std::wstring s;
    for (WORD c = Word(); c != 0; c = Word())
        s += static_cast<wchar_t>(c);
    return s;
}

std::wstring DlgTemplate::NameOrOrdinal()
{
    const WORD first = Word();
    if (first == 0xFFFF)
        return L"#" + std::to_wstring(Word());
    return first == 0 ? std::wstring() : static_cast<wchar_t>(first) + String();
}
