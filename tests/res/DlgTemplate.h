// Reads an extended dialog template (DLGTEMPLATEEX and its items) as stored
// in a module's RT_DIALOG resource.
#pragma once

#include <windows.h>
#include <cstddef>
#include <stdexcept>
#include <string>
#include <vector>

class DlgTemplate
{
public:
    // A menu, class or title field: a name, an ordinal, or neither.
    struct NameOrOrdinal
    {
        std::wstring name;
        WORD ordinal = 0;
    };

    struct Item
    {
        DWORD helpId = 0, exStyle = 0, style = 0;
        short x = 0, y = 0, cx = 0, cy = 0;
        DWORD id = 0;
        NameOrOrdinal windowClass, title;
        WORD extraCount = 0;

        // The class name in lower case; predefined class ordinals by name.
        std::wstring ClassName() const;
    };

    // Throws std::runtime_error when the data is not a well-formed extended template.
    DlgTemplate(const void* data, size_t size);

    DWORD helpId = 0, exStyle = 0, style = 0;
    short x = 0, y = 0, cx = 0, cy = 0;
    NameOrOrdinal menu, windowClass;
    std::wstring title;
    WORD pointSize = 0, weight = 0;
    BYTE italic = 0, charset = 0;
    std::wstring typeface;
    std::vector<Item> items;

private:
    WORD Word();
    DWORD Dword();
    short Short() { return static_cast<short>(Word()); }
    std::wstring String();
    NameOrOrdinal NameOrOrd();
    void AlignDword();

    const BYTE* m_data;
    size_t m_size;
    size_t m_pos = 0;
};
