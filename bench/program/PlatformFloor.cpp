// The floor of Ondalux's start-up and idle refresh: only the platform work
// that the program cannot leave out, with nothing of its own around it.
// Start-up: COM, the common controls, the system image list, a display name
// and icon per CD-ROM drive, an MCI open and table of contents per drive, a
// report list view with one row per drive and a status bar; then the window
// is shown and painted and the message loop runs until it is closed.
// Two environment variables (the benchmark's probe starts programs without
// arguments) add the idle refresh's floor:
//   FLOOR_PLAY  any value: every drive starts playing once the window shows
//   FLOOR_TICK  MCI commands sent every 100 ms, as the program's refresh
//               sends them: ticks separated by '/', commands by ',', each
//               LETTER.COMMAND.FLAGS.ITEM.TRACK in hexadecimal; the ticks
//               are sent in turn, round and round
#include <windows.h>
#include <commctrl.h>
#include <mmsystem.h>
#include <objbase.h>
#include <shellapi.h>

#include <cstdlib>
#include <cstring>
#include <map>
#include <string>
#include <vector>

namespace
{
const int kListId = 59648;  // where the benchmark's probe looks for the list
const int kStatusId = 59393;

struct Command
{
    char letter;
    UINT command;
    DWORD flags;
    DWORD item;
    DWORD track;
};

std::map<char, MCIDEVICEID> g_devices;
std::vector<std::vector<Command>> g_ticks;
size_t g_nTick = 0;
HWND g_hList = nullptr;
HWND g_hStatus = nullptr;

std::vector<std::vector<Command>> ParseTicks(const char* pszSpec)
{
    std::vector<std::vector<Command>> ticks(1);
    const char* p = pszSpec;
    while (*p)
    {
        if (*p == '/')
        {
            ticks.emplace_back();
            p++;
            continue;
        }
        if (*p == ',')
        {
            p++;
            continue;
        }
        Command c = {};
        c.letter = *p++;
        char* end = nullptr;
        c.command = static_cast<UINT>(std::strtoul(p + 1, &end, 16));
        c.flags = std::strtoul(end + 1, &end, 16);
        c.item = std::strtoul(end + 1, &end, 16);
        c.track = std::strtoul(end + 1, &end, 16);
        ticks.back().push_back(c);
        p = end;
    }
    return ticks;
}

void CALLBACK OnTick(HWND, UINT, UINT_PTR, DWORD)
{
    if (g_ticks.empty())
        return;
    for (const Command& c : g_ticks[g_nTick++ % g_ticks.size()])
    {
        MCI_STATUS_PARMS status = {};
        status.dwItem = c.item;
        status.dwTrack = c.track;
        mciSendCommandA(g_devices[c.letter], c.command, c.flags, reinterpret_cast<DWORD_PTR>(&status));
    }
}

// What the program's device does on opening: open, millisecond time format,
// start, track count, and each track's start and length.
MCIDEVICEID OpenWithContents(const char* pszDrive)
{
    MCI_OPEN_PARMSA open = {};
    open.lpstrDeviceType = reinterpret_cast<LPCSTR>(static_cast<DWORD_PTR>(MCI_DEVTYPE_CD_AUDIO));
    open.lpstrElementName = pszDrive;
    if (mciSendCommandA(0, MCI_OPEN, MCI_OPEN_TYPE_ID | MCI_OPEN_ELEMENT | MCI_OPEN_SHAREABLE | MCI_WAIT,
                        reinterpret_cast<DWORD_PTR>(&open)) != 0)
        return 0;
    const MCIDEVICEID id = open.wDeviceID;
    MCI_SET_PARMS set = {};
    set.dwTimeFormat = MCI_FORMAT_MILLISECONDS;
    mciSendCommandA(id, MCI_SET, MCI_SET_TIME_FORMAT | MCI_WAIT, reinterpret_cast<DWORD_PTR>(&set));
    MCI_STATUS_PARMS status = {};
    status.dwItem = MCI_STATUS_POSITION;
    mciSendCommandA(id, MCI_STATUS, MCI_STATUS_ITEM | MCI_STATUS_START, reinterpret_cast<DWORD_PTR>(&status));
    status.dwItem = MCI_STATUS_NUMBER_OF_TRACKS;
    mciSendCommandA(id, MCI_STATUS, MCI_STATUS_ITEM, reinterpret_cast<DWORD_PTR>(&status));
    const DWORD nTracks = static_cast<DWORD>(status.dwReturn);
    for (DWORD t = 1; t <= nTracks; t++)
    {
        status.dwTrack = t;
        status.dwItem = MCI_STATUS_POSITION;
        mciSendCommandA(id, MCI_STATUS, MCI_STATUS_ITEM | MCI_TRACK, reinterpret_cast<DWORD_PTR>(&status));
        status.dwItem = MCI_STATUS_LENGTH;
        mciSendCommandA(id, MCI_STATUS, MCI_STATUS_ITEM | MCI_TRACK, reinterpret_cast<DWORD_PTR>(&status));
    }
    return id;
}

void AddDrives()
{
    char roots[512] = {};
    ::GetLogicalDriveStringsA(sizeof roots - 1, roots);
    int nRow = 0;
    for (const char* p = roots; *p; p += std::strlen(p) + 1)
    {
        if (::GetDriveTypeA(p) != DRIVE_CDROM)
            continue;
        SHFILEINFOA sfi = {};
        ::SHGetFileInfoA(p, 0, &sfi, sizeof sfi, SHGFI_SYSICONINDEX | SHGFI_DISPLAYNAME | SHGFI_SMALLICON);
        char letter = p[0];
        if (letter >= 'a' && letter <= 'z')
            letter = static_cast<char>(letter - 'a' + 'A');
        const char drive[3] = { letter, ':', '\0' };
        g_devices[drive[0]] = OpenWithContents(drive);
        LVITEMA item = {};
        item.mask = LVIF_TEXT | LVIF_IMAGE;
        item.iItem = nRow++;
        item.pszText = sfi.szDisplayName;
        item.iImage = sfi.iIcon;
        ::SendMessageA(g_hList, LVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&item));
    }
}

LRESULT CALLBACK WindowProc(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message)
    {
    case WM_SIZE:
    {
        ::SendMessageA(g_hStatus, WM_SIZE, 0, 0);
        RECT status = {};
        ::GetWindowRect(g_hStatus, &status);
        ::MoveWindow(g_hList, 0, 0, LOWORD(lParam), HIWORD(lParam) - (status.bottom - status.top), TRUE);
        return 0;
    }
    case WM_DESTROY:
        ::PostQuitMessage(0);
        return 0;
    }
    return ::DefWindowProcA(hWnd, message, wParam, lParam);
}
}  // namespace

int WINAPI WinMain(HINSTANCE hInstance, HINSTANCE, LPSTR, int nShow)
{
    const bool bPlay = ::GetEnvironmentVariableA("FLOOR_PLAY", nullptr, 0) != 0;
    std::vector<char> tickCommands(::GetEnvironmentVariableA("FLOOR_TICK", nullptr, 0) + 1, '\0');
    if (::GetEnvironmentVariableA("FLOOR_TICK", tickCommands.data(), static_cast<DWORD>(tickCommands.size())) != 0)
        g_ticks = ParseTicks(tickCommands.data());

    ::CoInitialize(nullptr);
    ::InitCommonControls();

    WNDCLASSA wc = {};
    wc.lpfnWndProc = WindowProc;
    wc.hInstance = hInstance;
    wc.hCursor = ::LoadCursor(nullptr, IDC_ARROW);
    wc.lpszClassName = "PlatformFloor";
    ::RegisterClassA(&wc);
    // The program's first size: the default size less a third.
    HWND hWnd = ::CreateWindowA("PlatformFloor", "Platform floor", WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN, CW_USEDEFAULT,
                                CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, nullptr, nullptr, hInstance, nullptr);
    RECT rect = {};
    ::GetWindowRect(hWnd, &rect);
    ::MoveWindow(hWnd, rect.left, rect.top, (rect.right - rect.left) * 2 / 3, (rect.bottom - rect.top) * 2 / 3, FALSE);

    g_hStatus = ::CreateWindowExA(0, STATUSCLASSNAMEA, "", WS_CHILD | WS_VISIBLE, 0, 0, 0, 0, hWnd,
                                  reinterpret_cast<HMENU>(static_cast<INT_PTR>(kStatusId)), hInstance, nullptr);
    g_hList = ::CreateWindowExA(WS_EX_CLIENTEDGE, WC_LISTVIEWA, "",
                                WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN | LVS_REPORT | LVS_SHOWSELALWAYS, 0, 0, 0, 0,
                                hWnd, reinterpret_cast<HMENU>(static_cast<INT_PTR>(kListId)), hInstance, nullptr);
    ::SendMessageA(g_hList, LVM_SETEXTENDEDLISTVIEWSTYLE, LVS_EX_FULLROWSELECT, LVS_EX_FULLROWSELECT);
    static const char* const headings[] = { "Drive", "State", "Time", "Position" };
    static const int widths[] = { 160, 60, 60, 400 };
    for (int i = 0; i < 4; i++)
    {
        LVCOLUMNA column = {};
        column.mask = LVCF_FMT | LVCF_WIDTH | LVCF_TEXT | LVCF_SUBITEM;
        column.cx = widths[i];
        column.pszText = const_cast<LPSTR>(headings[i]);
        column.iSubItem = i;
        ::SendMessageA(g_hList, LVM_INSERTCOLUMNA, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(&column));
    }
    SHFILEINFOA sfi = {};
    HIMAGELIST hImages = reinterpret_cast<HIMAGELIST>(
        ::SHGetFileInfoA("", 0, &sfi, sizeof sfi, SHGFI_SYSICONINDEX | SHGFI_ICON | SHGFI_USEFILEATTRIBUTES));
    if (sfi.hIcon)
        ::DestroyIcon(sfi.hIcon);
    ::SendMessageA(g_hList, LVM_SETIMAGELIST, LVSIL_SMALL, reinterpret_cast<LPARAM>(hImages));
    AddDrives();

    ::ShowWindow(hWnd, nShow);
    ::UpdateWindow(hWnd);

    if (bPlay)
    {
        for (const auto& device : g_devices)
        {
            MCI_PLAY_PARMS play = {};
            mciSendCommandA(device.second, MCI_PLAY, 0, reinterpret_cast<DWORD_PTR>(&play));
        }
    }
    if (!g_ticks.empty())
        ::SetTimer(hWnd, 1, 100, OnTick);

    MSG msg;
    while (::GetMessageA(&msg, nullptr, 0, 0) > 0)
    {
        ::TranslateMessage(&msg);
        ::DispatchMessageA(&msg);
    }
    for (const auto& device : g_devices)
    {
        mciSendCommandA(device.second, MCI_STOP, MCI_WAIT, 0);
        mciSendCommandA(device.second, MCI_CLOSE, 0, 0);
    }
    ::CoUninitialize();
    return 0;
}
