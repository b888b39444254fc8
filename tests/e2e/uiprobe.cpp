// Looks at a running Ondalux from outside its process, for end-to-end tests
// and the screenshot script:
//   uiprobe wait [SECONDS]     wait for the main window and its first rows
//   uiprobe rows               one line per row: index, selected, focused, texts
//   uiprobe geometry           screen rectangles of the window, the list,
//                              every row, every slider and every bar button
//   uiprobe select N...        make exactly rows N... selected
//   uiprobe command ID         send the main window a menu command
//   uiprobe close              close the main window and wait for the process
//   uiprobe sliders            one line per row, in row order: the screen
//                              rectangles of its slider and of the thumb, then
//                              the slider's position, minimum and maximum
//   uiprobe menu               screen rectangle of the open pop-up menu;
//                              fails when no menu is open
// List-view messages that carry pointers get buffers inside the program's
// process.
#include <windows.h>
#include <commctrl.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace
{
const UINT kListId = 59648;     // the frame's pane
const UINT kControlBarId = 59392;

HWND FindMainWindow()
{
    HWND hWnd = FindWindowA(nullptr, "Ondalux");
    return hWnd && IsWindowVisible(hWnd) ? hWnd : nullptr;
}

// A block of memory inside another process.
class RemoteBuffer
{
public:
    RemoteBuffer(HWND hWnd, SIZE_T cb)
    {
        DWORD pid = 0;
        GetWindowThreadProcessId(hWnd, &pid);
        m_hProcess = OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_READ | PROCESS_VM_WRITE, FALSE, pid);
        if (m_hProcess)
            m_p = VirtualAllocEx(m_hProcess, nullptr, cb, MEM_COMMIT, PAGE_READWRITE);
    }
    ~RemoteBuffer()
    {
        if (m_p)
            VirtualFreeEx(m_hProcess, m_p, 0, MEM_RELEASE);
        if (m_hProcess)
            CloseHandle(m_hProcess);
    }
    RemoteBuffer(const RemoteBuffer&) = delete;
    RemoteBuffer& operator=(const RemoteBuffer&) = delete;

    bool Ok() const { return m_p != nullptr; }
    LPARAM Address(SIZE_T offset = 0) const { return reinterpret_cast<LPARAM>(static_cast<char*>(m_p) + offset); }
    void Write(const void* pData, SIZE_T cb, SIZE_T offset = 0)
    {
        WriteProcessMemory(m_hProcess, static_cast<char*>(m_p) + offset, pData, cb, nullptr);
    }
    void Read(void* pData, SIZE_T cb, SIZE_T offset = 0)
    {
        ReadProcessMemory(m_hProcess, static_cast<char*>(m_p) + offset, pData, cb, nullptr);
    }

private:
    HANDLE m_hProcess = nullptr;
    void* m_p = nullptr;
};

std::string ItemText(HWND hList, RemoteBuffer& buffer, int nItem, int nSubItem)
{
    LVITEMA item = {};
    item.iSubItem = nSubItem;
    item.pszText = reinterpret_cast<LPSTR>(buffer.Address(sizeof(LVITEMA)));
    item.cchTextMax = 256;
    buffer.Write(&item, sizeof item);
    SendMessageA(hList, LVM_GETITEMTEXTA, nItem, buffer.Address());
    char text[256] = {};
    buffer.Read(text, sizeof text - 1, sizeof(LVITEMA));
    return text;
}

RECT ItemRect(HWND hList, RemoteBuffer& buffer, int nItem, int nCode)
{
    RECT rect = {};
    rect.left = nCode;
    buffer.Write(&rect, sizeof rect);
    SendMessageA(hList, LVM_GETITEMRECT, nItem, buffer.Address());
    buffer.Read(&rect, sizeof rect);
    MapWindowPoints(hList, nullptr, reinterpret_cast<POINT*>(&rect), 2);
    return rect;
}

void PrintRect(const char* pszName, const RECT& r)
{
    std::printf("%s %ld %ld %ld %ld\n", pszName, r.left, r.top, r.right, r.bottom);
}

// The trackbar child of the list that lies over the row (its vertical centre
// inside the row's bounds).
HWND SliderOfRow(HWND hList, const RECT& row)
{
    for (HWND h = GetWindow(hList, GW_CHILD); h; h = GetWindow(h, GW_HWNDNEXT))
    {
        char cls[64] = {};
        GetClassNameA(h, cls, sizeof cls);
        RECT rect;
        GetWindowRect(h, &rect);
        const LONG centre = (rect.top + rect.bottom) / 2;
        if (lstrcmpiA(cls, TRACKBAR_CLASSA) == 0 && IsWindowVisible(h) && centre >= row.top && centre < row.bottom)
            return h;
    }
    return nullptr;
}

int Usage()
{
    std::fprintf(stderr, "usage: uiprobe wait [SECONDS] | rows | geometry | select N... | command ID | close"
                         " | sliders | menu\n");
    return 2;
}
}

int main(int argc, char** argv)
{
    if (argc < 2)
        return Usage();
    const std::string command = argv[1];

    if (command == "menu")
    {
        // Pop-up menus have the system's menu class; only a shown one counts.
        for (HWND h = FindWindowA("#32768", nullptr); h; h = FindWindowExA(nullptr, h, "#32768", nullptr))
        {
            if (!IsWindowVisible(h))
                continue;
            RECT rect;
            GetWindowRect(h, &rect);
            PrintRect("menu", rect);
            return 0;
        }
        return 1;
    }

    if (command == "wait")
    {
        const DWORD dwDeadline = GetTickCount() + 1000 * (argc > 2 ? std::atoi(argv[2]) : 30);
        while (GetTickCount() < dwDeadline)
        {
            HWND hMain = FindMainWindow();
            HWND hList = hMain ? GetDlgItem(hMain, kListId) : nullptr;
            if (hList && SendMessageA(hList, LVM_GETITEMCOUNT, 0, 0) > 0)
                return 0;
            Sleep(100);
        }
        std::fprintf(stderr, "uiprobe: no Ondalux window with rows\n");
        return 1;
    }

    HWND hMain = FindMainWindow();
    HWND hList = hMain ? GetDlgItem(hMain, kListId) : nullptr;
    if (!hList)
    {
        std::fprintf(stderr, "uiprobe: no Ondalux window\n");
        return 1;
    }
    RemoteBuffer buffer(hList, 4096);
    if (!buffer.Ok())
    {
        std::fprintf(stderr, "uiprobe: cannot reach the program's memory\n");
        return 1;
    }
    const int nCount = static_cast<int>(SendMessageA(hList, LVM_GETITEMCOUNT, 0, 0));

    if (command == "rows")
    {
        for (int i = 0; i < nCount; i++)
        {
            const UINT state = static_cast<UINT>(SendMessageA(hList, LVM_GETITEMSTATE, i, LVIS_SELECTED | LVIS_FOCUSED));
            std::printf("%d\t%d\t%d\t%s\t%s\t%s\n", i, (state & LVIS_SELECTED) ? 1 : 0,
                        (state & LVIS_FOCUSED) ? 1 : 0, ItemText(hList, buffer, i, 0).c_str(),
                        ItemText(hList, buffer, i, 1).c_str(), ItemText(hList, buffer, i, 2).c_str());
        }
        return 0;
    }
    if (command == "geometry")
    {
        RECT rect;
        GetWindowRect(hMain, &rect);
        PrintRect("window", rect);
        GetClientRect(hList, &rect);
        MapWindowPoints(hList, nullptr, reinterpret_cast<POINT*>(&rect), 2);
        PrintRect("list", rect);
        for (int i = 0; i < nCount; i++)
        {
            char name[32];
            std::snprintf(name, sizeof name, "row%d", i);
            PrintRect(name, ItemRect(hList, buffer, i, LVIR_BOUNDS));
            std::snprintf(name, sizeof name, "icon%d", i);
            PrintRect(name, ItemRect(hList, buffer, i, LVIR_ICON));
        }
        // Sliders in z-order: the program creates one per row.
        int nSlider = 0;
        for (HWND h = GetWindow(hList, GW_CHILD); h; h = GetWindow(h, GW_HWNDNEXT))
        {
            char cls[64] = {};
            GetClassNameA(h, cls, sizeof cls);
            if (lstrcmpiA(cls, TRACKBAR_CLASSA) != 0)
                continue;
            GetWindowRect(h, &rect);
            char name[48];
            std::snprintf(name, sizeof name, "slider%d %p", nSlider++, static_cast<void*>(h));
            PrintRect(name, rect);
        }
        if (HWND hBar = GetDlgItem(hMain, kControlBarId))
        {
            for (HWND h = GetWindow(hBar, GW_CHILD); h; h = GetWindow(h, GW_HWNDNEXT))
            {
                GetWindowRect(h, &rect);
                char name[32];
                std::snprintf(name, sizeof name, "button%d", GetDlgCtrlID(h));
                PrintRect(name, rect);
            }
        }
        return 0;
    }
    if (command == "sliders")
    {
        for (int i = 0; i < nCount; i++)
        {
            HWND hSlider = SliderOfRow(hList, ItemRect(hList, buffer, i, LVIR_BOUNDS));
            if (!hSlider)
            {
                std::printf("slider%d none\n", i);
                continue;
            }
            RECT rect;
            GetWindowRect(hSlider, &rect);
            RemoteBuffer thumbBuffer(hSlider, sizeof(RECT));
            RECT thumb = {};
            SendMessageA(hSlider, TBM_GETTHUMBRECT, 0, thumbBuffer.Address());
            thumbBuffer.Read(&thumb, sizeof thumb);
            MapWindowPoints(hSlider, nullptr, reinterpret_cast<POINT*>(&thumb), 2);
            std::printf("slider%d %ld %ld %ld %ld thumb %ld %ld %ld %ld pos %ld %ld %ld\n", i, rect.left,
                        rect.top, rect.right, rect.bottom, thumb.left, thumb.top, thumb.right, thumb.bottom,
                        static_cast<long>(SendMessageA(hSlider, TBM_GETPOS, 0, 0)),
                        static_cast<long>(SendMessageA(hSlider, TBM_GETRANGEMIN, 0, 0)),
                        static_cast<long>(SendMessageA(hSlider, TBM_GETRANGEMAX, 0, 0)));
        }
        return 0;
    }
    if (command == "select")
    {
        for (int i = 0; i < nCount; i++)
        {
            bool bSelect = false;
            for (int a = 2; a < argc; a++)
                bSelect = bSelect || std::atoi(argv[a]) == i;
            LVITEMA item = {};
            item.stateMask = LVIS_SELECTED;
            item.state = bSelect ? LVIS_SELECTED : 0;
            buffer.Write(&item, sizeof item);
            SendMessageA(hList, LVM_SETITEMSTATE, i, buffer.Address());
        }
        return 0;
    }
    if (command == "command" && argc == 3)
    {
        SendMessageA(hMain, WM_COMMAND, MAKEWPARAM(std::atoi(argv[2]), 0), 0);
        return 0;
    }
    if (command == "close")
    {
        DWORD pid = 0;
        GetWindowThreadProcessId(hMain, &pid);
        HANDLE hProcess = OpenProcess(SYNCHRONIZE, FALSE, pid);
        PostMessageA(hMain, WM_CLOSE, 0, 0);
        const DWORD dwWait = hProcess ? WaitForSingleObject(hProcess, 10000) : WAIT_FAILED;
        if (hProcess)
            CloseHandle(hProcess);
        return dwWait == WAIT_OBJECT_0 ? 0 : 1;
    }
    return Usage();
}
