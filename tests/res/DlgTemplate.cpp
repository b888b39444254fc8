#include "DlgTemplate.h"

#include <cwctype>

std::wstring DlgTemplate::Item::ClassName() const
{
    if (!windowClass.name.empty()) {
        std::wstring name = windowClass.name;
        for (wchar_t& c : name)
            c = static_cast<wchar_t>(std::towlower(c));
        return name;
    }
    switch (windowClass.ordinal) {
    case 0x0080: return L"button";
    case 0x0081: return L"edit";
    case 0x0082: return L"static";
    case 0x0083: return L"listbox";
    case 0x0084: return L"scrollbar";
    case 0x0085: return L"combobox";
    default: return L"#" + std::to_wstring(windowClass.ordinal);
    }
}

DlgTemplate::DlgTemplate(const void* data, size_t size)
    : m_data(static_cast<const BYTE*>(data)), m_size(size)
{
    if (Word() != 1 || Word() != 0xFFFF)
        throw std::runtime_error("not an extended dialog template");
    helpId = Dword();
    exStyle = Dword();
    style = Dword();
    WORD count = Word();
    x = Short();
    y = Short();
    cx = Short();
    cy = Short();
    menu = NameOrOrd();
    windowClass = NameOrOrd();
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
        AlignDword();
        Item item;
        item.helpId = Dword();
        item.exStyle = Dword();
        item.style = Dword();
        item.x = Short();
        item.y = Short();
        item.cx = Short();
        item.cy = Short();
        item.id = Dword();
        item.windowClass = NameOrOrd();
        item.title = NameOrOrd();
        item.extraCount = Word();
        m_pos += item.extraCount;
        items.push_back(item);
    }
    if (m_pos > m_size)
        throw std::runtime_error("dialog template ends early");
}

WORD DlgTemplate::Word()
{
    if (m_pos + 2 > m_size)
        throw std::runtime_error("dialog template ends early");
    WORD w = static_cast<WORD>(m_data[m_pos] | (m_data[m_pos + 1] << 8));
    m_pos += 2;
    return w;
}

DWORD DlgTemplate::Dword()
{
    DWORD low = Word();
    return low | (static_cast<DWORD>(Word()) << 16);
}

std::wstring DlgTemplate::String()
{
    std::wstring s;
    for (WORD c = Word(); c != 0; c = Word())
        s += static_cast<wchar_t>(c);
    return s;
}

DlgTemplate::NameOrOrdinal DlgTemplate::NameOrOrd()
{
    NameOrOrdinal result;
    WORD first = Word();
    if (first == 0xFFFF) {
        result.ordinal = Word();
    } else if (first != 0) {
        result.name = static_cast<wchar_t>(first) + String();
    }
    return result;
}

void DlgTemplate::AlignDword()
{
    m_pos = (m_pos + 3) & ~static_cast<size_t>(3);
}
