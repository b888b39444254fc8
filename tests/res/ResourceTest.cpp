// Reads the program's resources back with the W functions and compares them
// with what the program and its users expect.
#include <windows.h>
#include <gtest/gtest.h>

#include <map>
#include <regex>
#include <string>
#include <vector>

#include "DlgTemplate.h"
#include "resource.h"

namespace {

const WORD kJapanese = MAKELANGID(LANG_JAPANESE, SUBLANG_DEFAULT);

// RES_MODULE is a build-tree path; a Unix one is reached through Wine's Z: drive.
std::wstring ModulePath()
{
    const std::string path = RES_MODULE;
    std::wstring result = path.compare(0, 1, "/") == 0 ? L"Z:" : L"";
    for (char c : path)
        result += c == '/' ? L'\\' : static_cast<wchar_t>(static_cast<unsigned char>(c));
    return result;
}

struct LoadedModule
{
    HMODULE handle = LoadLibraryExW(ModulePath().c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
    ~LoadedModule() { if (handle) FreeLibrary(handle); }
};

std::string Narrow(const std::wstring& s)
{
    int n = WideCharToMultiByte(CP_UTF8, 0, s.c_str(), -1, nullptr, 0, nullptr, nullptr);
    std::string out(n, '\0');
    WideCharToMultiByte(CP_UTF8, 0, s.c_str(), -1, &out[0], n, nullptr, nullptr);
    out.resize(n - 1);
    return out;
}

class Resources : public testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_NE(nullptr, Module()) << "cannot load " << Narrow(ModulePath());
    }

    static HMODULE Module()
    {
        static LoadedModule module;
        return module.handle;
    }

    // The bytes of a Japanese resource; empty when there is none. The type is
    // one of the integer RT_* names.
    static std::vector<BYTE> Raw(LPCSTR type, WORD id)
    {
        HRSRC info = FindResourceExW(Module(), MAKEINTRESOURCEW(reinterpret_cast<UINT_PTR>(type)),
                                     MAKEINTRESOURCEW(id), kJapanese);
        HGLOBAL data = info ? LoadResource(Module(), info) : nullptr;
        const BYTE* bytes = static_cast<const BYTE*>(data ? LockResource(data) : nullptr);
        return bytes ? std::vector<BYTE>(bytes, bytes + SizeofResource(Module(), info))
                     : std::vector<BYTE>();
    }

    static std::wstring String(UINT id)
    {
        const wchar_t* text = nullptr;
        int length = LoadStringW(Module(), id, reinterpret_cast<LPWSTR>(&text), 0);
        return length > 0 ? std::wstring(text, length) : std::wstring();
    }
};

TEST_F(Resources, StringTable)
{
    const std::map<UINT, std::wstring> rows = {
        {IDR_MAINFRAME, L"Ondalux"},
        {ID_CD_PLAY, L"選択項目を再生します。\n再生 (Ctrl+P)"},
        {ID_CD_PAUSE, L"選択項目の再生を一時停止します。\n一時停止 (Ctrl+A)"},
        {ID_CD_STOP, L"選択項目の再生を停止します。\n停止 (Ctrl+S)"},
        {ID_CD_REPEAT, L"再生を繰り返します。\n繰り返し"},
        {ID_CD_NEXT_TRACK, L"再生位置を次のトラックに移動させます。\n次のトラック (Alt+→)"},
        {ID_CD_PREV_TRACK, L"再生位置を前のトラックに移動させます。\n前のトラック (Alt+←)"},
        {ID_CD_EJECT, L"ドライブのトレイを開きます。\n取り出し"},
        {AFX_IDS_APP_TITLE, L"Ondalux"},
        {AFX_IDS_IDLEMESSAGE, L"Ready"},
        {ID_APP_ABOUT, L"プログラム情報、バージョン、著作権を表示します。\nバージョン情報"},
        {ID_APP_EXIT, L"Ondalux を終了します。"},
        {ID_VIEW_TOOLBAR, L"コントロールバーの表示/非表示を切り替えます。"},
        {ID_VIEW_STATUS_BAR, L"ステータスバーの表示/非表示を切り替えます。"},
        {AFX_IDS_SCSIZE, L"ウィンドウのサイズを変更します。"},
        {AFX_IDS_SCMOVE, L"ウィンドウの位置を変更します。"},
        {AFX_IDS_SCMINIMIZE, L"ウィンドウを最小化します。"},
        {AFX_IDS_SCMAXIMIZE, L"ウィンドウを最大化します。"},
        {AFX_IDS_SCNEXTWINDOW, L"次のウィンドウに切り替えます。"},
        {AFX_IDS_SCPREVWINDOW, L"前のウィンドウに切り替えます。"},
        {AFX_IDS_SCCLOSE, L"Ondalux を終了します。"},
        {AFX_IDS_SCRESTORE, L"ウィンドウを通常のサイズに戻します。"},
        {AFX_IDS_SCTASKLIST, L"タスク一覧をアクティブにします。"},
    };
    for (const auto& row : rows) {
        EXPECT_EQ(Narrow(row.second), Narrow(String(row.first))) << "string " << row.first;
        EXPECT_FALSE(Raw(RT_STRING, static_cast<WORD>(row.first / 16 + 1)).empty())
            << "string " << row.first << " is not Japanese";
    }
    EXPECT_EQ("", Narrow(String(ID_HELP))) << "ID_HELP has no prompt or tooltip";
}

TEST_F(Resources, MenuPopupsAndItemsInOrder)
{
    struct Item { const wchar_t* text; UINT id; };  // text nullptr: separator
    struct Popup { const wchar_t* text; std::vector<Item> items; };
    const std::vector<Popup> expected = {
        {L"ファイル(&F)", {{L"終了(&X)", ID_APP_EXIT}}},
        {L"表示(&V)", {{L"コントロールバー(&C)", ID_VIEW_TOOLBAR},
                       {L"ステータスバー(&S)", ID_VIEW_STATUS_BAR}}},
        {L"再生(&P)", {{L"再生(&P)\tCtrl+P", ID_CD_PLAY},
                       {L"一時停止(&A)\tCtrl+A", ID_CD_PAUSE},
                       {L"停止(&S)\tCtrl+S", ID_CD_STOP},
                       {nullptr, 0},
                       {L"次のトラック(&N)\tAlt+→", ID_CD_NEXT_TRACK},
                       {L"前のトラック(&R)\tAlt+←", ID_CD_PREV_TRACK},
                       {nullptr, 0},
                       {L"繰り返し(&L)", ID_CD_REPEAT},
                       {nullptr, 0},
                       {L"取り出し(&J)", ID_CD_EJECT}}},
        {L"ヘルプ(&H)", {{L"ヘルプ(&H)...\tF1", ID_HELP},
                         {L"バージョン情報(&A)...", ID_APP_ABOUT}}},
    };
    auto text = [](HMENU menu, int pos) {
        wchar_t buffer[256] = {};
        GetMenuStringW(menu, pos, buffer, 256, MF_BYPOSITION);
        return Narrow(buffer);
    };

    EXPECT_FALSE(Raw(RT_MENU, IDR_MAINFRAME).empty()) << "menu IDR_MAINFRAME is not Japanese";
    HMENU menu = LoadMenuW(Module(), MAKEINTRESOURCEW(IDR_MAINFRAME));
    ASSERT_NE(nullptr, menu) << "menu IDR_MAINFRAME";
    ASSERT_EQ(static_cast<int>(expected.size()), GetMenuItemCount(menu)) << "pop-ups of the menu";
    for (int p = 0; p < static_cast<int>(expected.size()); ++p) {
        SCOPED_TRACE("pop-up " + std::to_string(p) + " " + Narrow(expected[p].text));
        HMENU popup = GetSubMenu(menu, p);
        ASSERT_NE(nullptr, popup);
        EXPECT_EQ(Narrow(expected[p].text), text(menu, p));
        const auto& items = expected[p].items;
        ASSERT_EQ(static_cast<int>(items.size()), GetMenuItemCount(popup));
        for (int i = 0; i < static_cast<int>(items.size()); ++i) {
            const UINT state = GetMenuState(popup, i, MF_BYPOSITION);
            if (!items[i].text) {
                EXPECT_TRUE(state & MF_SEPARATOR) << "item " << i << " is a separator";
                continue;
            }
            EXPECT_EQ(Narrow(items[i].text), text(popup, i)) << "item " << i;
            EXPECT_EQ(items[i].id, GetMenuItemID(popup, i)) << "item " << i;
            EXPECT_EQ(0u, state & (MF_GRAYED | MF_CHECKED | MF_POPUP)) << "item " << i;
        }
    }
    DestroyMenu(menu);
}

TEST_F(Resources, AcceleratorsInOrder)
{
    struct Entry { WORD flags, key, command, padding; };
    const WORD plain = FVIRTKEY | FNOINVERT;
    const std::vector<Entry> expected = {
        {plain, VK_F1, ID_HELP, 0},
        {plain | FCONTROL, 'A', ID_CD_PAUSE, 0},
        {plain | FCONTROL, 'P', ID_CD_PLAY, 0},
        {plain | FCONTROL, 'S', ID_CD_STOP, 0},
        {plain | FALT, VK_RIGHT, ID_CD_NEXT_TRACK, 0},
        {plain | FALT, VK_LEFT, ID_CD_PREV_TRACK, 0},
    };
    const std::vector<BYTE> raw = Raw(RT_ACCELERATOR, IDR_MAINFRAME);
    ASSERT_EQ(expected.size() * sizeof(Entry), raw.size()) << "accelerator table IDR_MAINFRAME";
    const Entry* entries = reinterpret_cast<const Entry*>(raw.data());
    for (size_t i = 0; i < expected.size(); ++i) {
        const WORD endFlag = i + 1 == expected.size() ? 0x80 : 0;  // marks the last entry
        EXPECT_EQ(expected[i].flags | endFlag, entries[i].flags) << "accelerator " << i;
        EXPECT_EQ(expected[i].key, entries[i].key) << "accelerator " << i;
        EXPECT_EQ(expected[i].command, entries[i].command) << "accelerator " << i;
    }
}

struct ExpectedControl
{
    const wchar_t* className;
    int id;
    const wchar_t* text;
    short x, y, cx, cy;
    DWORD style;
};

void ExpectDialogItems(const DlgTemplate& dialog, const std::vector<ExpectedControl>& expected)
{
    ASSERT_EQ(expected.size(), dialog.items.size()) << "number of controls";
    for (size_t i = 0; i < expected.size(); ++i) {
        const auto& want = expected[i];
        const auto& item = dialog.items[i];
        SCOPED_TRACE("control " + std::to_string(i) + " id " + std::to_string(want.id));
        EXPECT_EQ(Narrow(want.className), Narrow(item.className));
        EXPECT_EQ(static_cast<DWORD>(want.id), item.id);
        EXPECT_EQ(Narrow(want.text), Narrow(item.title));
        EXPECT_EQ((std::vector<short>{want.x, want.y, want.cx, want.cy}),
                  (std::vector<short>{item.x, item.y, item.cx, item.cy})) << "position and size";
        EXPECT_EQ(want.style, item.style) << std::hex << "style " << want.style << " != " << item.style;
        EXPECT_EQ(0u, item.exStyle | item.helpId) << "no extended style, no help id";
    }
}

void ExpectFont(const DlgTemplate& dialog)
{
    EXPECT_EQ(9, dialog.pointSize);
    EXPECT_EQ(0, dialog.weight);
    EXPECT_EQ(0, dialog.italic);
    EXPECT_EQ(DEFAULT_CHARSET, dialog.charset);
    EXPECT_EQ("MS UI Gothic", Narrow(dialog.typeface));
}

TEST_F(Resources, ControlBarTemplate)
{
    SCOPED_TRACE("dialog IDD_CONTROL_BAR");
    const std::vector<BYTE> raw = Raw(RT_DIALOG, IDD_CONTROL_BAR);
    ASSERT_FALSE(raw.empty());
    const DlgTemplate dialog(raw.data(), raw.size());
    EXPECT_EQ(static_cast<DWORD>(WS_CHILD | DS_SETFONT), dialog.style);
    EXPECT_EQ(0u, dialog.exStyle);
    EXPECT_EQ((std::vector<short>{0, 0, 195, 22}),
              (std::vector<short>{dialog.x, dialog.y, dialog.cx, dialog.cy})) << "position and size";
    EXPECT_EQ("", Narrow(dialog.title));
    ExpectFont(dialog);

    const DWORD push = WS_CHILD | WS_VISIBLE | WS_TABSTOP | BS_PUSHBUTTON;
    const DWORD pushLike = WS_CHILD | WS_VISIBLE | WS_TABSTOP | BS_PUSHLIKE | BS_CHECKBOX;
    ExpectDialogItems(dialog, {
        {L"button", ID_CD_PLAY, L"", 2, 2, 26, 18, push},
        {L"button", ID_CD_PAUSE, L"", 30, 2, 28, 18, push},
        {L"button", ID_CD_STOP, L"", 60, 2, 28, 18, push},
        {L"button", ID_CD_REPEAT, L"", 162, 2, 28, 18, pushLike},
        {L"button", ID_CD_NEXT_TRACK, L"", 126, 2, 28, 18, pushLike},
        {L"button", ID_CD_PREV_TRACK, L"", 96, 2, 28, 18, pushLike},
    });
}

TEST_F(Resources, AboutBoxTemplate)
{
    SCOPED_TRACE("dialog IDD_ABOUTBOX");
    const std::vector<BYTE> raw = Raw(RT_DIALOG, IDD_ABOUTBOX);
    ASSERT_FALSE(raw.empty());
    const DlgTemplate dialog(raw.data(), raw.size());
    EXPECT_EQ(static_cast<DWORD>(WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME | DS_SETFONT),
              dialog.style);
    EXPECT_EQ(0u, dialog.exStyle);
    EXPECT_EQ(0u, dialog.helpId);
    EXPECT_EQ("", Narrow(dialog.menu)) << "no menu";
    EXPECT_EQ("", Narrow(dialog.windowClass)) << "default class";
    EXPECT_EQ((std::vector<short>{0, 0, 143, 77}),
              (std::vector<short>{dialog.x, dialog.y, dialog.cx, dialog.cy})) << "position and size";
    EXPECT_EQ(Narrow(L"バージョン情報"), Narrow(dialog.title));
    ExpectFont(dialog);

    const DWORD label = WS_CHILD | WS_VISIBLE | WS_GROUP | SS_LEFT;
    ExpectDialogItems(dialog, {
        {L"static", IDC_STATIC, L"Ondalux Version 1.2", 42, 12, 82, 8, label | SS_NOPREFIX},
        {L"static", IDC_STATIC, L"(C) 2026 Hollenby", 42, 30, 87, 8, label},
        {L"button", IDOK, L"OK", 47, 54, 50, 16,
         WS_CHILD | WS_VISIBLE | WS_GROUP | WS_TABSTOP | BS_DEFPUSHBUTTON},
        {L"static", IDC_ABOUT_ICON, L"", 6, 18, 20, 20, WS_CHILD | WS_VISIBLE | SS_ICON},
    });
}

// One image of an icon resource: a BITMAPINFOHEADER, the palette, the colour
// bits and the AND mask, rows bottom-up.
class IconImage
{
public:
    explicit IconImage(std::vector<BYTE> raw) : m_raw(std::move(raw))
    {
        if (m_raw.size() >= sizeof(BITMAPINFOHEADER))
            m_header = *reinterpret_cast<const BITMAPINFOHEADER*>(m_raw.data());
    }

    const BITMAPINFOHEADER& Header() const { return m_header; }
    size_t Size() const { return m_raw.size(); }
    int Width() const { return m_header.biWidth; }
    int Height() const { return m_header.biHeight / 2; }

    size_t ExpectedSize() const
    {
        return m_header.biSize + PaletteSize() * 4 + Stride(m_header.biBitCount) * Height()
               + Stride(1) * Height();
    }

    bool Transparent(int x, int y) const
    {
        const BYTE* mask = Bits() + Stride(m_header.biBitCount) * Height();
        return (mask[Row(y) * Stride(1) + x / 8] >> (7 - x % 8)) & 1;
    }

    // The colour bits of a pixel as 0xRRGGBB.
    DWORD Colour(int x, int y) const
    {
        const BYTE* row = Bits() + Row(y) * Stride(m_header.biBitCount);
        if (m_header.biBitCount == 24)
            return row[3 * x + 2] << 16 | row[3 * x + 1] << 8 | row[3 * x];
        const int index = x % 2 ? row[x / 2] & 0x0F : row[x / 2] >> 4;
        const BYTE* quad = m_raw.data() + m_header.biSize + 4 * index;
        return quad[2] << 16 | quad[1] << 8 | quad[0];
    }

private:
    size_t PaletteSize() const { return m_header.biBitCount <= 8 ? 1u << m_header.biBitCount : 0; }
    size_t Stride(int bpp) const { return (Width() * bpp + 31) / 32 * 4; }
    int Row(int y) const { return Height() - 1 - y; }
    const BYTE* Bits() const { return m_raw.data() + m_header.biSize + PaletteSize() * 4; }

    std::vector<BYTE> m_raw;
    BITMAPINFOHEADER m_header = {};
};

TEST_F(Resources, IconGroupsAndImages)
{
#pragma pack(push, 2)
    struct GroupEntry { BYTE width, height, colours, reserved; WORD planes, bitCount; DWORD bytes; WORD id; };
#pragma pack(pop)
    struct Expected { WORD id; std::vector<int> sizes; WORD bpp; DWORD colour; };
    const std::vector<Expected> icons = {
        {IDR_MAINFRAME, {48, 32, 16}, 24, 0},
        {ID_CD_PLAY, {16}, 4, 0x008000},        // green
        {ID_CD_PAUSE, {16}, 4, 0x808000},       // olive
        {ID_CD_STOP, {16}, 4, 0x800000},        // dark red
        {ID_CD_REPEAT, {16}, 4, 0x000080},      // navy
        {ID_CD_NEXT_TRACK, {16}, 4, 0x800080},  // purple
        {ID_CD_PREV_TRACK, {16}, 4, 0x800080},
    };
    for (const auto& icon : icons) {
        SCOPED_TRACE("icon " + std::to_string(icon.id));
        const std::vector<BYTE> group = Raw(RT_GROUP_ICON, icon.id);
        ASSERT_EQ(6 + sizeof(GroupEntry) * icon.sizes.size(), group.size());
        const WORD* dir = reinterpret_cast<const WORD*>(group.data());
        EXPECT_EQ(1, dir[1]) << "type icon";
        ASSERT_EQ(icon.sizes.size(), dir[2]);
        const GroupEntry* entries = reinterpret_cast<const GroupEntry*>(group.data() + 6);
        for (size_t i = 0; i < icon.sizes.size(); ++i) {
            const GroupEntry& entry = entries[i];
            const int size = icon.sizes[i];
            SCOPED_TRACE("image " + std::to_string(size) + "x" + std::to_string(size));
            EXPECT_EQ(size, entry.width);
            EXPECT_EQ(size, entry.height);
            EXPECT_EQ(icon.bpp, entry.bitCount);
            EXPECT_EQ(icon.bpp == 4 ? 16 : 0, entry.colours);

            const IconImage image(Raw(RT_ICON, entry.id));
            ASSERT_EQ(entry.bytes, image.Size()) << "image data size";
            ASSERT_EQ(image.ExpectedSize(), image.Size()) << "header, palette, colour bits and mask";
            EXPECT_EQ(size, image.Header().biWidth);
            EXPECT_EQ(2 * size, image.Header().biHeight) << "colour bits and mask";
            EXPECT_EQ(icon.bpp, image.Header().biBitCount);
            EXPECT_EQ(static_cast<DWORD>(BI_RGB), image.Header().biCompression);

            // Opaque shape on a transparent background; a transparent pixel
            // must be black or it shows through the mask as an XOR.
            int opaque = 0, visibleUnderMask = 0, otherColour = 0;
            for (int y = 0; y < size; ++y)
                for (int x = 0; x < size; ++x) {
                    if (image.Transparent(x, y)) {
                        visibleUnderMask += image.Colour(x, y) != 0;
                    } else {
                        ++opaque;
                        otherColour += icon.colour && image.Colour(x, y) != icon.colour;
                    }
                }
            EXPECT_EQ(0, visibleUnderMask) << "transparent pixels that are not black";
            EXPECT_EQ(0, otherColour) << "opaque pixels not in the glyph's colour";
            EXPECT_TRUE(image.Transparent(0, 0) && image.Transparent(size - 1, size - 1)) << "corners";
            EXPECT_GT(opaque, size * size / 8) << "opaque pixels";
        }
    }
}

TEST_F(Resources, VersionBlock)
{
    const std::wstring path = ModulePath();
    DWORD handle = 0;
    std::vector<BYTE> block(GetFileVersionInfoSizeW(path.c_str(), &handle));
    ASSERT_FALSE(block.empty()) << "version block";
    EXPECT_FALSE(Raw(RT_VERSION, VS_VERSION_INFO).empty()) << "version block is not Japanese";
    ASSERT_TRUE(GetFileVersionInfoW(path.c_str(), 0, static_cast<DWORD>(block.size()), block.data()));

    VS_FIXEDFILEINFO* fixed = nullptr;
    UINT length = 0;
    ASSERT_TRUE(VerQueryValueW(block.data(), L"\\", reinterpret_cast<void**>(&fixed), &length));
    EXPECT_EQ(0xFEEF04BDu, fixed->dwSignature);
    EXPECT_EQ(0x00010002u, fixed->dwFileVersionMS) << "file version 1.2";
    EXPECT_EQ(0u, fixed->dwFileVersionLS) << "file version .0.0";
    EXPECT_EQ(0x00010002u, fixed->dwProductVersionMS) << "product version 1.2";
    EXPECT_EQ(0u, fixed->dwProductVersionLS) << "product version .0.0";
    EXPECT_EQ(static_cast<DWORD>(VFT_APP), fixed->dwFileType);
    EXPECT_EQ(0u, fixed->dwFileFlags);

    WORD* translation = nullptr;
    ASSERT_TRUE(VerQueryValueW(block.data(), L"\\VarFileInfo\\Translation",
                               reinterpret_cast<void**>(&translation), &length));
    ASSERT_EQ(4u, length);
    EXPECT_EQ(0x0411, translation[0]) << "translation language";
    EXPECT_EQ(932, translation[1]) << "translation code page";

    const std::map<std::wstring, std::wstring> values = {
        {L"Comments", L"複数のオーディオCDを同時再生します。"},
        {L"FileDescription", L"Ondalux"},
        {L"FileVersion", L"1.2"},
        {L"InternalName", L"Ondalux.exe"},
        {L"LegalCopyright", L"(C) 2026 Hollenby"},
        {L"OriginalFilename", L"Ondalux.exe"},
        {L"ProductName", L"Ondalux"},
        {L"ProductVersion", L"1.2"},
    };
    for (const auto& value : values) {
        const std::wstring key = L"\\StringFileInfo\\041103a4\\" + value.first;
        wchar_t* text = nullptr;
        EXPECT_TRUE(VerQueryValueW(block.data(), key.c_str(), reinterpret_cast<void**>(&text), &length)
                    && text && Narrow(value.second) == Narrow(text))
            << "version value " << Narrow(value.first) << " is "
            << (text ? Narrow(text) : "missing");
    }
}

TEST_F(Resources, ManifestAssemblies)
{
    const std::vector<BYTE> raw = Raw(RT_MANIFEST, 1);
    ASSERT_FALSE(raw.empty()) << "manifest 1";
    const std::string text(raw.begin(), raw.end());

    // Every assemblyIdentity element, as its attributes.
    std::vector<std::map<std::string, std::string>> identities;
    const std::regex element("<assemblyIdentity([^>]*)/>"), attribute("(\\w+)=\"([^\"]*)\"");
    for (std::sregex_iterator e(text.begin(), text.end(), element), end; e != end; ++e) {
        const std::string attributes = (*e)[1];
        identities.emplace_back();
        for (std::sregex_iterator a(attributes.begin(), attributes.end(), attribute); a != end; ++a)
            identities.back()[(*a)[1]] = (*a)[2];
    }
    using Attributes = std::map<std::string, std::string>;
    ASSERT_EQ(2u, identities.size()) << "assembly identities in the manifest";
    EXPECT_EQ((Attributes{{"version", "1.0.0.0"}, {"processorArchitecture", "X86"},
                          {"name", "Microsoft.Windows.Ondalux"}, {"type", "win32"}}),
              identities[0]) << "the program's identity";
    EXPECT_EQ((Attributes{{"type", "win32"}, {"name", "Microsoft.Windows.Common-Controls"},
                          {"version", "6.0.0.0"}, {"processorArchitecture", "X86"},
                          {"publicKeyToken", "6595b64144ccf1df"}, {"language", "*"}}),
              identities[1]) << "the common controls dependency";
    EXPECT_NE(std::string::npos, text.find("<dependentAssembly>")) << "dependency element";
}

}  // namespace
