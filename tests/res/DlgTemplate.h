// An extended dialog template (DLGTEMPLATEEX and its items) read from the
// bytes of an RT_DIALOG resource.
#pragma once

#include <windows.h>
#include <cstddef>
#include <string>
#include <vector>

class DlgTemplate
{
public:
    struct Item
    {
        DWORD helpId = 0, exStyle = 0, style = 0, id = 0;
        short x = 0, y = 0, cx = 0, cy = 0;
        std::wstring className;  // lower case; predefined classes by name
        std::wstring title;      // "#n" for an ordinal
    };

    // Throws std::runtime_error when the bytes are not an extended template.
    DlgTemplate(const void* data, size_t size);

    DWORD helpId = 0, exStyle = 0, style = 0;
    short x = 0, y = 0, cx = 0, cy = 0;
    std::wstring menu, windowClass, title;  // empty when absent
    WORD pointSize = 0, weight = 0;
    BYTE italic = 0, charset = 0;
    std::wstring typeface;
    std::vector<Item> items;

private:
    WORD Word();
    DWORD Dword();
    short Short() { return static_cast<short>(Word()); }
    std::wstring String();
    std::wstring NameOrOrdinal();

    const BYTE* m_data;
    size_t m_size;
    size_t m_pos = 0;
};
