// Reads the program's resources back from the built program with the W
// functions and compares every one of them with what the program and its
// users expect. Structured resources are read as lines of text and compared
// line by line, so that a failure names the resource and the line. Only
// Japanese resources are looked for: one in another language counts as missing.
#include <windows.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <memory>
#include <regex>
#include <string>
#include <vector>

#include "resource.h"

namespace
{

using Lines = std::vector<std::wstring>;

std::string Utf8(const std::wstring& s)
{
    std::string out(s.size() * 3, '\0');
    out.resize(WideCharToMultiByte(CP_UTF8, 0, s.data(), int(s.size()), &out[0], int(out.size()), nullptr, nullptr));
    return out;
}

std::wstring N(long long value)
{
    return std::to_wstring(value);
}

std::wstring Hex(DWORD value)
{
    wchar_t s[12];
    swprintf(s, 12, L"%lx", value);
    return s;
}

// Fields separated by blanks. A braced list is evaluated in order, so fields
// may be read one after the other from a resource's bytes.
std::wstring Join(std::initializer_list<std::wstring> fields)
{
    std::wstring line;
    for (const std::wstring& field : fields)
        line += field + L' ';
    return line;
}

void ExpectLines(const std::string& what, const Lines& want, const Lines& got)
{
    for (size_t i = 0; i < std::max(want.size(), got.size()); ++i)
        EXPECT_EQ(i < want.size() ? Utf8(want[i]) : "(none)", i < got.size() ? Utf8(got[i]) : "(none)")
            << what << ", line " << i + 1;
}

// RES_MODULE is the program's path in the build tree; Wine finds a Unix one on its Z: drive.
HMODULE Module()
{
    static const std::unique_ptr<std::remove_pointer_t<HMODULE>, decltype(&FreeLibrary)> module(
        LoadLibraryExW(L"" RES_MODULE, nullptr, LOAD_LIBRARY_AS_DATAFILE), &FreeLibrary);
    return module.get();
}

// The bytes of a Japanese resource; empty when there is none.
std::vector<BYTE> Raw(LPCSTR type, WORD id)
{
    HRSRC info = FindResourceExW(Module(), MAKEINTRESOURCEW(reinterpret_cast<UINT_PTR>(type)), MAKEINTRESOURCEW(id),
                                 MAKELANGID(LANG_JAPANESE, SUBLANG_DEFAULT));
    const BYTE* bytes = info ? static_cast<const BYTE*>(LockResource(LoadResource(Module(), info))) : nullptr;
    return bytes ? std::vector<BYTE>(bytes, bytes + SizeofResource(Module(), info)) : std::vector<BYTE>();
}

// A menu's items, depth first: a pop-up's text, then its items indented, each
// with its id and state, and "-" for a separator.
void ReadMenu(HMENU menu, const std::wstring& indent, Lines& lines)
{
    for (int i = 0; i < GetMenuItemCount(menu); ++i)
    {
        wchar_t text[256] = {};
        GetMenuStringW(menu, i, text, 256, MF_BYPOSITION);
        const UINT state = GetMenuState(menu, i, MF_BYPOSITION);
        const HMENU popup = GetSubMenu(menu, i);
        const std::wstring item = state & MF_SEPARATOR ? L"-" : Join({ text, N(GetMenuItemID(menu, i)), Hex(state) });
        lines.push_back(indent + (popup ? text : item));
        if (popup)
            ReadMenu(popup, indent + L"  ", lines);
    }
}

TEST(Resources, StringsMenuAndAcceleratorsInOrder)
{
    ASSERT_NE(nullptr, Module()) << "cannot load " RES_MODULE;
    const std::map<UINT, std::wstring> rows = {
        { IDR_MAINFRAME, L"Ondalux" },
        { AFX_IDS_APP_TITLE, L"Ondalux" },
        { AFX_IDS_IDLEMESSAGE, L"Ready" },
        { ID_CD_PLAY, L"選択項目を再生します。\n再生 (Ctrl+P)" },
        { ID_CD_PAUSE, L"選択項目の再生を一時停止します。\n一時停止 (Ctrl+A)" },
        { ID_CD_STOP, L"選択項目の再生を停止します。\n停止 (Ctrl+S)" },
        { ID_CD_NEXT_TRACK, L"再生位置を次のトラックに移動させます。\n次のトラック (Alt+→)" },
        { ID_CD_PREV_TRACK, L"再生位置を前のトラックに移動させます。\n前のトラック (Alt+←)" },
        { ID_CD_REPEAT, L"再生を繰り返します。\n繰り返し" },
        { ID_CD_EJECT, L"ドライブのトレイを開きます。\n取り出し" },
        { ID_APP_ABOUT, L"プログラム情報、バージョン、著作権を表示します。\nバージョン情報" },
        { ID_APP_EXIT, L"Ondalux を終了します。" },
        { AFX_IDS_SCCLOSE, L"Ondalux を終了します。" },
        { ID_HELP, L"" },  // none
        { ID_VIEW_TOOLBAR, L"コントロールバーの表示/非表示を切り替えます。" },
        { ID_VIEW_STATUS_BAR, L"ステータスバーの表示/非表示を切り替えます。" },
        { AFX_IDS_SCSIZE, L"ウィンドウのサイズを変更します。" },
        { AFX_IDS_SCMOVE, L"ウィンドウの位置を変更します。" },
        { AFX_IDS_SCMINIMIZE, L"ウィンドウを最小化します。" },
        { AFX_IDS_SCMAXIMIZE, L"ウィンドウを最大化します。" },
        { AFX_IDS_SCNEXTWINDOW, L"次のウィンドウに切り替えます。" },
        { AFX_IDS_SCPREVWINDOW, L"前のウィンドウに切り替えます。" },
        { AFX_IDS_SCRESTORE, L"ウィンドウを通常のサイズに戻します。" },
        { AFX_IDS_SCTASKLIST, L"タスク一覧をアクティブにします。" }
    };
    for (const auto& [id, text] : rows)
    {
        const wchar_t* loaded = L"";
        const int length = LoadStringW(Module(), id, reinterpret_cast<LPWSTR>(&loaded), 0);
        EXPECT_EQ(Utf8(text), Utf8(std::wstring(loaded, std::max(length, 0)))) << "string " << id;
        EXPECT_TRUE(text.empty() || !Raw(RT_STRING, WORD(id / 16 + 1)).empty()) << "string " << id << " not Japanese";
    }

    const auto item = [](const wchar_t* text, UINT id) { return L"  " + Join({ text, N(id), L"0" }); };
    const Lines want = { L"ファイル(&F)",
                         item(L"終了(&X)", ID_APP_EXIT),
                         L"表示(&V)",
                         item(L"コントロールバー(&C)", ID_VIEW_TOOLBAR),
                         item(L"ステータスバー(&S)", ID_VIEW_STATUS_BAR),
                         L"再生(&P)",  // the third pop-up: the list's context menu too
                         item(L"再生(&P)\tCtrl+P", ID_CD_PLAY),
                         item(L"一時停止(&A)\tCtrl+A", ID_CD_PAUSE),
                         item(L"停止(&S)\tCtrl+S", ID_CD_STOP),
                         L"  -",
                         item(L"次のトラック(&N)\tAlt+→", ID_CD_NEXT_TRACK),
                         item(L"前のトラック(&R)\tAlt+←", ID_CD_PREV_TRACK),
                         L"  -",
                         item(L"繰り返し(&L)", ID_CD_REPEAT),
                         L"  -",
                         item(L"取り出し(&J)", ID_CD_EJECT),
                         L"ヘルプ(&H)",
                         item(L"ヘルプ(&H)...\tF1", ID_HELP),
                         item(L"バージョン情報(&A)...", ID_APP_ABOUT) };
    const bool japanese = !Raw(RT_MENU, IDR_MAINFRAME).empty();
    const std::unique_ptr<std::remove_pointer_t<HMENU>, decltype(&DestroyMenu)> menu(
        japanese ? LoadMenuW(Module(), MAKEINTRESOURCEW(IDR_MAINFRAME)) : nullptr, &DestroyMenu);
    Lines got;
    ReadMenu(menu.get(), L"", got);  // no menu, no items
    ExpectLines("menu IDR_MAINFRAME", want, got);

    const auto entry = [](int flags, int key, int command) { return Join({ Hex(flags), N(key), N(command) }); };
    const int plain = FVIRTKEY | FNOINVERT, last = 0x80;  // the last entry is marked
    const Lines keys = { entry(plain, VK_F1, ID_HELP),
                         entry(plain | FCONTROL, 'A', ID_CD_PAUSE),
                         entry(plain | FCONTROL, 'P', ID_CD_PLAY),
                         entry(plain | FCONTROL, 'S', ID_CD_STOP),
                         entry(plain | FALT, VK_RIGHT, ID_CD_NEXT_TRACK),
                         entry(plain | FALT | last, VK_LEFT, ID_CD_PREV_TRACK) };
    const std::vector<BYTE> raw = Raw(RT_ACCELERATOR, IDR_MAINFRAME);
    got.clear();
    for (size_t i = 0; i + 8 <= raw.size(); i += 8)  // flags, key, command, padding
        got.push_back(entry(raw[i] | raw[i + 1] << 8, raw[i + 2] | raw[i + 3] << 8, raw[i + 4] | raw[i + 5] << 8));
    ExpectLines("accelerator table IDR_MAINFRAME", keys, got);
}

// An extended dialog template as lines: the dialog (signature, help id,
// extended style, style, place, menu, class, title), its font (points,
// weight, italic and charset, face), then one line per control (help id,
// extended style, style, place, id, class, title). Past the end it reads zeros.
Lines ReadDialog(WORD id)
{
    const std::vector<BYTE> raw = Raw(RT_DIALOG, id);
    size_t pos = 0;
    const auto word = [&]() -> WORD { return (pos += 2) <= raw.size() ? WORD(raw[pos - 2] | raw[pos - 1] << 8) : 0; };
    const auto dword = [&] {
        const DWORD low = word();
        return low | DWORD(word()) << 16;
    };
    const auto place = [&] { return Join({ N(short(word())), N(short(word())), N(short(word())), N(short(word())) }); };
    const auto text = [&] {
        std::wstring s;
        for (WORD c = word(); c != 0; c = word())
            s += wchar_t(c);
        return s;
    };
    const auto name = [&](bool isClass) {  // predefined classes by ordinal or by name alike
        const WORD c = word();
        std::wstring s = c == 0xFFFF ? L"#" + N(word()) : c ? wchar_t(c) + text() : L"";
        CharUpperBuffW(&s[0], isClass ? DWORD(s.size()) : 0);
        return s == L"#128" && isClass ? L"BUTTON" : s == L"#130" && isClass ? L"STATIC" : s;
    };
    const DWORD signature = dword(), help = dword(), exStyle = dword(), style = dword(), count = word();
    Lines lines = { Join({ Hex(signature), Hex(help), Hex(exStyle), Hex(style), place(), name(false), name(true),
                           L"'" + text() + L"'" }) };
    if (style & DS_SETFONT)
        lines.push_back(Join({ N(word()), N(word()), Hex(word()), text() }));
    for (DWORD i = 0; i < count; ++i)
    {
        pos = (pos + 3) & ~size_t(3);  // each control starts on a DWORD
        lines.push_back(Join(
            { Hex(dword()), Hex(dword()), Hex(dword()), place(), N(dword()), name(true), L"'" + name(false) + L"'" }));
        pos += word();  // creation data
    }
    return lines;
}

// One image of an icon group as a line: its directory entry (width, height,
// colours, bits per pixel), its header (width, height of colour bits and
// mask, bits per pixel, compression), then what its pixels show. Opaque
// pixels must have the glyph's colour (0: any); a transparent pixel must be
// black, or it shows through the mask.
std::wstring ReadIconImage(const BYTE* entry, DWORD colour)
{
    const std::vector<BYTE> image = Raw(RT_ICON, WORD(entry[12] | entry[13] << 8));
    BITMAPINFOHEADER h = {};
    std::copy_n(image.begin(), std::min(image.size(), sizeof h), reinterpret_cast<BYTE*>(&h));
    const int size = h.biWidth;
    const size_t palette = h.biBitCount <= 8 ? 4u << h.biBitCount : 0, stride = (size * h.biBitCount + 31) / 32 * 4;
    const size_t maskStride = (size + 31) / 32 * 4, bytes = h.biSize + palette + (stride + maskStride) * size;
    const std::wstring line = Join({ N(entry[0]), N(entry[1]), N(entry[2]), N(entry[6]), N(size), N(h.biHeight),
                                     N(h.biBitCount), N(h.biCompression) });
    if (size <= 0 || image.size() != bytes || image.size() != DWORD(entry[8] | entry[9] << 8 | entry[10] << 16))
        return line + L"wrong size";
    int opaque = 0, maskedNotBlack = 0, offColour = 0;
    const BYTE *bits = image.data() + h.biSize + palette, *mask = bits + stride * size;
    const auto clear = [&](int x, int y) { return mask[(size - 1 - y) * maskStride + x / 8] >> (7 - x % 8) & 1; };
    for (int y = 0; y < size; ++y)
        for (int x = 0; x < size; ++x)
        {
            const BYTE* row = bits + (size - 1 - y) * stride;
            const int index = x % 2 ? row[x / 2] & 15 : row[x / 2] >> 4;
            const BYTE* bgr = h.biBitCount == 24 ? row + 3 * x : bits - palette + 4 * index;
            const DWORD pixel = bgr[2] << 16 | bgr[1] << 8 | bgr[0];
            opaque += !clear(x, y);
            maskedNotBlack += clear(x, y) && pixel != 0;
            offColour += !clear(x, y) && colour != 0 && pixel != colour;
        }
    return line + Join({ L"masked-not-black", N(maskedNotBlack), L"off-colour", N(offColour),
                         clear(0, 0) && clear(size - 1, size - 1) ? L"corners-clear" : L"corners-opaque",
                         opaque > size * size / 8 ? L"shape" : L"too-few-opaque" });
}

TEST(Resources, DialogTemplatesIconGroupsAndImages)
{
    const auto item = [](DWORD style, int x, int y, int cx, int cy, const std::wstring& id, const wchar_t* cls,
                         const std::wstring& text) {
        return Join({ L"0 0", Hex(style), Join({ N(x), N(y), N(cx), N(cy) }), id, cls, L"'" + text + L"'" });
    };
    const auto button = [&](DWORD s, int x, int cx, UINT id) { return item(s, x, 2, cx, 18, N(id), L"BUTTON", L""); };
    const std::wstring font = Join({ L"9", L"0", Hex(MAKEWORD(FALSE, DEFAULT_CHARSET)), L"MS UI Gothic" });
    const DWORD child = WS_CHILD | WS_VISIBLE, push = child | WS_TABSTOP | BS_PUSHBUTTON;
    const DWORD pushLike = push | BS_PUSHLIKE | BS_CHECKBOX, label = child | WS_GROUP | SS_LEFT;
    const DWORD about = WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME | DS_SETFONT;
    ExpectLines("dialog IDD_CONTROL_BAR",
                { L"ffff0001 " + item(WS_CHILD | DS_SETFONT, 0, 0, 195, 22, L"", L"", L""), font,
                  button(push, 2, 26, ID_CD_PLAY), button(push, 30, 28, ID_CD_PAUSE), button(push, 60, 28, ID_CD_STOP),
                  button(pushLike, 162, 28, ID_CD_REPEAT), button(pushLike, 126, 28, ID_CD_NEXT_TRACK),
                  button(pushLike, 96, 28, ID_CD_PREV_TRACK) },
                ReadDialog(IDD_CONTROL_BAR));
    ExpectLines("dialog IDD_ABOUTBOX",
                { L"ffff0001 " + item(about, 0, 0, 143, 77, L"", L"", L"バージョン情報"), font,
                  item(label | SS_NOPREFIX, 42, 12, 82, 8, N(DWORD(IDC_STATIC)), L"STATIC", L"Ondalux Version 1.2"),
                  item(label, 42, 30, 87, 8, N(DWORD(IDC_STATIC)), L"STATIC", L"(C) 2026 Hollenby"),
                  item(child | WS_GROUP | WS_TABSTOP | BS_DEFPUSHBUTTON, 47, 54, 50, 16, N(IDOK), L"BUTTON", L"OK"),
                  item(child | SS_ICON, 6, 18, 20, 20, N(IDC_ABOUT_ICON), L"STATIC", L"") },
                ReadDialog(IDD_ABOUTBOX));

    struct Icon
    {
        WORD id;
        std::vector<int> sizes;
        int bpp;
        DWORD colour;
    };
    const Icon icons[] = {
        { IDR_MAINFRAME, { 48, 32, 16 }, 24, 0 },  { ID_CD_PLAY, { 16 }, 4, 0x008000 },
        { ID_CD_PAUSE, { 16 }, 4, 0x808000 },                                              // green, olive
        { ID_CD_STOP, { 16 }, 4, 0x800000 },       { ID_CD_REPEAT, { 16 }, 4, 0x000080 },  // dark red, navy
        { ID_CD_NEXT_TRACK, { 16 }, 4, 0x800080 }, { ID_CD_PREV_TRACK, { 16 }, 4, 0x800080 }
    };  // purple
    for (const Icon& icon : icons)
    {
        Lines want = { L"type 1" }, got;
        for (int s : icon.sizes)
            want.push_back(Join({ N(s), N(s), N(icon.bpp == 4 ? 16 : 0), N(icon.bpp), N(s), N(2 * s), N(icon.bpp),
                                  N(BI_RGB), L"masked-not-black 0 off-colour 0 corners-clear shape" }));
        const std::vector<BYTE> group = Raw(RT_GROUP_ICON, icon.id);  // reserved, type, count, 14-byte entries
        if (group.size() >= 6 && group.size() == 6 + 14u * group[4])
            got.push_back(L"type " + N(group[2]));
        for (size_t i = 6; i + 14 <= group.size(); i += 14)
            got.push_back(ReadIconImage(&group[i], icon.colour));
        ExpectLines("icon " + std::to_string(icon.id), want, got);
    }
}

TEST(Resources, ManifestAndVersionBlock)
{
    const std::vector<BYTE> raw = Raw(RT_MANIFEST, 1);
    const std::string text(raw.begin(), raw.end());
    Lines got;  // each assemblyIdentity element, then whether the second is a dependency
    const std::regex identity("<assemblyIdentity\\s[^>]*/>");
    for (std::sregex_iterator e(text.begin(), text.end(), identity), end; e != end; ++e)
        got.emplace_back((*e)[0].first, (*e)[0].second);
    const std::regex dependency("<dependency>\\s*<dependentAssembly>\\s*<assemblyIdentity");
    got.push_back(std::regex_search(text, dependency) ? L"dependency" : L"no dependency");
    // The program is 32-bit; the 64-bit test build names its own architecture.
    const std::wstring arch = sizeof(void*) == 4 ? L"X86" : L"amd64";
    ExpectLines("manifest 1",
                { L"<assemblyIdentity version=\"1.0.0.0\" processorArchitecture=\"" + arch +
                      L"\" name=\"Microsoft.Windows.Ondalux\" "
                      L"type=\"win32\"/>",
                  L"<assemblyIdentity type=\"win32\" name=\"Microsoft.Windows.Common-Controls\" version=\"6.0.0.0\" "
                  L"processorArchitecture=\"" +
                      arch + L"\" publicKeyToken=\"6595b64144ccf1df\" language=\"*\"/>",
                  L"dependency" },
                got);

    const std::vector<BYTE> block = Raw(RT_VERSION, VS_VERSION_INFO);
    ASSERT_FALSE(block.empty()) << "version block";
    const auto value = [&](const std::wstring& key) {
        void* data = nullptr;
        UINT length = 0;
        return VerQueryValueW(block.data(), key.c_str(), &data, &length) && length ? data : nullptr;
    };
    const auto* f = static_cast<const VS_FIXEDFILEINFO*>(value(L"\\"));
    const auto* translation = static_cast<const WORD*>(value(L"\\VarFileInfo\\Translation"));
    ASSERT_TRUE(f && translation) << "version block without numbers or translation";
    EXPECT_EQ((std::vector<DWORD>{ 0x10002, 0, 0x10002, 0, VFT_APP, 0, 0x0411, 932 }),
              (std::vector<DWORD>{ f->dwFileVersionMS, f->dwFileVersionLS, f->dwProductVersionMS, f->dwProductVersionLS,
                                   f->dwFileType, f->dwFileFlags, translation[0], translation[1] }))
        << "version numbers 1.2.0.0, type, flags and translation";
    for (const auto& [key, text] : std::map<std::wstring, std::wstring>{
             { L"Comments", L"複数のオーディオCDを同時再生します。" },
             { L"FileDescription", L"Ondalux" },
             { L"FileVersion", L"1.2" },
             { L"InternalName", L"Ondalux.exe" },
             { L"OriginalFilename", L"Ondalux.exe" },
             { L"LegalCopyright", L"(C) 2026 Hollenby" },
             { L"ProductName", L"Ondalux" },
             { L"ProductVersion", L"1.2" },
         })
    {
        const auto* found = static_cast<const wchar_t*>(value(L"\\StringFileInfo\\041103a4\\" + key));
        EXPECT_EQ(Utf8(text), Utf8(found ? found : L"(missing)")) << "version value " << Utf8(key);
    }
}

}  // namespace
