#include "RemoteProgram.h"

#include "framework/FrameworkIds.h"

#include <commctrl.h>
#include <psapi.h>
#include <winternl.h>

namespace probe
{
namespace
{
const SIZE_T kBufferSize = 4096;

struct WindowSearch
{
    DWORD dwProcessId;
    bool bList;  // the window must hold the drive list
    HWND hFound;
    int nWindows;
};

BOOL CALLBACK FindMain(HWND hWnd, LPARAM lParam)
{
    WindowSearch* pSearch = reinterpret_cast<WindowSearch*>(lParam);
    DWORD dwProcessId = 0;
    ::GetWindowThreadProcessId(hWnd, &dwProcessId);
    if (dwProcessId != pSearch->dwProcessId || !::IsWindowVisible(hWnd) || ::GetWindow(hWnd, GW_OWNER) ||
        (pSearch->bList && !::GetDlgItem(hWnd, AFX_IDW_PANE_FIRST)))
        return TRUE;
    pSearch->hFound = hWnd;
    return FALSE;
}

BOOL CALLBACK CountChildren(HWND, LPARAM lParam)
{
    ++reinterpret_cast<WindowSearch*>(lParam)->nWindows;
    return TRUE;
}

BOOL CALLBACK CountTopLevel(HWND hWnd, LPARAM lParam)
{
    DWORD dwProcessId = 0;
    ::GetWindowThreadProcessId(hWnd, &dwProcessId);
    if (dwProcessId == reinterpret_cast<WindowSearch*>(lParam)->dwProcessId)
    {
        CountChildren(hWnd, lParam);
        ::EnumChildWindows(hWnd, CountChildren, lParam);
    }
    return TRUE;
}

void ToScreen(HWND hWnd, RECT& rect)
{
    ::MapWindowPoints(hWnd, nullptr, reinterpret_cast<POINT*>(&rect), 2);
}

// The machine an executable file is built for (IMAGE_FILE_MACHINE_*); 0 when
// the file cannot be read or is no Windows program.
WORD ImageMachine(const std::string& path)
{
    HANDLE hFile = ::CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                 nullptr, OPEN_EXISTING, 0, nullptr);
    if (hFile == INVALID_HANDLE_VALUE)
        return 0;
    IMAGE_DOS_HEADER dos = {};
    DWORD signature = 0;
    IMAGE_FILE_HEADER header = {};
    DWORD cb = 0;
    const bool bRead = ::ReadFile(hFile, &dos, sizeof dos, &cb, nullptr) && cb == sizeof dos &&
                       dos.e_magic == IMAGE_DOS_SIGNATURE &&
                       ::SetFilePointer(hFile, dos.e_lfanew, nullptr, FILE_BEGIN) != INVALID_SET_FILE_POINTER &&
                       ::ReadFile(hFile, &signature, sizeof signature, &cb, nullptr) && cb == sizeof signature &&
                       signature == IMAGE_NT_SIGNATURE && ::ReadFile(hFile, &header, sizeof header, &cb, nullptr) &&
                       cb == sizeof header;
    ::CloseHandle(hFile);
    return bRead ? header.Machine : 0;
}

const char* Bitness(WORD machine)
{
    switch (machine)
    {
    case IMAGE_FILE_MACHINE_I386:
        return "a 32-bit";
    case IMAGE_FILE_MACHINE_AMD64:
        return "a 64-bit";
    default:
        return "no x86";
    }
}

// Empty when the probe can work the program in this file: the list view's
// structures it writes into the program (LVITEM, NMLISTVIEW) and the PEB it
// reads have the probe's own layout, so both must be built alike.
std::string BitnessMismatch(const std::string& exe)
{
    const WORD own = sizeof(void*) == 8 ? IMAGE_FILE_MACHINE_AMD64 : IMAGE_FILE_MACHINE_I386;
    const WORD machine = ImageMachine(exe);
    if (machine == own)
        return std::string();
    return "probe: " + exe + " is " + Bitness(machine) + " program and this probe is " + Bitness(own) +
           " one; use the probe of the program's own build";
}
}  // namespace

std::string WindowsPath(const char* pszPath)
{
    std::string path = pszPath;
    if (!path.empty() && path[0] == '/')
        path = "Z:" + path;
    for (char& c : path)
    {
        if (c == '/')
            c = '\\';
    }
    return path;
}

RemoteProgram::~RemoteProgram()
{
    if (!m_hProcess)
        return;
    if (m_pBuffer)
        ::VirtualFreeEx(m_hProcess, m_pBuffer, 0, MEM_RELEASE);
    if (m_bStarted && Running())
    {
        ::TerminateProcess(m_hProcess, 1);
        ::WaitForSingleObject(m_hProcess, 5000);
    }
    ::CloseHandle(m_hProcess);
}

bool RemoteProgram::Start(const std::string& exe)
{
    m_error = BitnessMismatch(exe);
    if (!m_error.empty())
        return false;
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process = {};
    std::string commandLine = "\"" + exe + "\"";
    if (!::CreateProcessA(exe.c_str(), &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                          &process))
        return false;
    ::CloseHandle(process.hThread);
    m_hProcess = process.hProcess;
    m_dwProcessId = process.dwProcessId;
    m_bStarted = true;
    return true;
}

bool RemoteProgram::WaitForWindow(int nRows, DWORD dwTimeoutMs)
{
    for (DWORD dwStart = ::GetTickCount(); ::GetTickCount() - dwStart < dwTimeoutMs; ::Sleep(2))
    {
        if (!Running())
            return false;
        WindowSearch search = { m_dwProcessId, nRows != kAnyWindow, nullptr, 0 };
        ::EnumWindows(FindMain, reinterpret_cast<LPARAM>(&search));
        if (!search.hFound)
            continue;
        m_hMain = search.hFound;
        // The thread answers only once the start-up, its first paint
        // included, is over.
        if (RoundTripMs(dwTimeoutMs) >= dwTimeoutMs)
            continue;
        if (nRows == kAnyWindow)
            return true;
        if (nRows >= 0 && ::SendMessageA(::GetDlgItem(m_hMain, AFX_IDW_PANE_FIRST), LVM_GETITEMCOUNT, 0, 0) != nRows)
            continue;
        return Connect(m_hMain);
    }
    return false;
}

bool RemoteProgram::Attach()
{
    HWND hMain = ::FindWindowA(nullptr, "Ondalux");
    if (!hMain || !::IsWindowVisible(hMain))
        return false;
    ::GetWindowThreadProcessId(hMain, &m_dwProcessId);
    m_hProcess = ::OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_READ | PROCESS_VM_WRITE | PROCESS_QUERY_INFORMATION |
                                   SYNCHRONIZE,
                               FALSE, m_dwProcessId);
    if (!m_hProcess)
        return false;
    char exe[MAX_PATH] = {};
    DWORD cch = sizeof exe;
    if (!::QueryFullProcessImageNameA(m_hProcess, 0, exe, &cch))
        return false;
    m_error = BitnessMismatch(exe);
    return m_error.empty() && Connect(hMain);
}

bool RemoteProgram::Connect(HWND hMain)
{
    m_hMain = hMain;
    m_hList = ::GetDlgItem(hMain, AFX_IDW_PANE_FIRST);
    if (!m_pBuffer)
        m_pBuffer = ::VirtualAllocEx(m_hProcess, nullptr, kBufferSize, MEM_COMMIT, PAGE_READWRITE);
    return m_hList && m_pBuffer;
}

bool RemoteProgram::Running() const
{
    return m_hProcess && ::WaitForSingleObject(m_hProcess, 0) == WAIT_TIMEOUT;
}

LPARAM RemoteProgram::Remote(SIZE_T offset) const
{
    return reinterpret_cast<LPARAM>(static_cast<char*>(m_pBuffer) + offset);
}

void RemoteProgram::Write(const void* pData, SIZE_T cb, SIZE_T offset)
{
    ::WriteProcessMemory(m_hProcess, static_cast<char*>(m_pBuffer) + offset, pData, cb, nullptr);
}

void RemoteProgram::Read(void* pData, SIZE_T cb, SIZE_T offset)
{
    ::ReadProcessMemory(m_hProcess, static_cast<char*>(m_pBuffer) + offset, pData, cb, nullptr);
}

LRESULT RemoteProgram::Send(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam) const
{
    DWORD_PTR result = 0;
    ::SendMessageTimeoutA(hWnd, message, wParam, lParam, SMTO_NORMAL, 10000, &result);
    return static_cast<LRESULT>(result);
}

DWORD RemoteProgram::RoundTripMs(DWORD dwTimeoutMs) const
{
    const DWORD dwStart = ::GetTickCount();
    DWORD_PTR result = 0;
    if (!m_hMain || !::SendMessageTimeoutA(m_hMain, WM_NULL, 0, 0, SMTO_NORMAL, dwTimeoutMs, &result))
        return dwTimeoutMs;
    return ::GetTickCount() - dwStart;
}

int RemoteProgram::RowCount() const
{
    return static_cast<int>(Send(m_hList, LVM_GETITEMCOUNT, 0, 0));
}

std::string RemoteProgram::ItemText(int nItem, int nSubItem)
{
    LVITEMA item = {};
    item.iSubItem = nSubItem;
    item.pszText = reinterpret_cast<LPSTR>(Remote(sizeof item));
    item.cchTextMax = 256;
    char text[256] = {};
    Write(&item, sizeof item);
    Write(text, sizeof text, sizeof item);
    Send(m_hList, LVM_GETITEMTEXTA, static_cast<WPARAM>(nItem), Remote());
    Read(text, sizeof text - 1, sizeof item);
    return text;
}

std::vector<Row> RemoteProgram::Rows()
{
    std::vector<Row> rows(static_cast<size_t>(RowCount()));
    for (size_t i = 0; i < rows.size(); i++)
    {
        Row& row = rows[i];
        row.name = ItemText(static_cast<int>(i), 0);
        const size_t at = row.name.rfind(":)");
        if (at != std::string::npos && at >= 2 && row.name[at - 2] == '(')
            row.letter = row.name[at - 1];
        row.state = ItemText(static_cast<int>(i), 1);
        row.time = ItemText(static_cast<int>(i), 2);
        const LRESULT state = Send(m_hList, LVM_GETITEMSTATE, i, LVIS_SELECTED | LVIS_FOCUSED);
        row.selected = (state & LVIS_SELECTED) != 0;
        row.focused = (state & LVIS_FOCUSED) != 0;
    }
    return rows;
}

RECT RemoteProgram::ItemRect(int nItem, int nCode)
{
    RECT rect = {};
    rect.left = nCode;
    Write(&rect, sizeof rect);
    Send(m_hList, LVM_GETITEMRECT, static_cast<WPARAM>(nItem), Remote());
    Read(&rect, sizeof rect);
    ToScreen(m_hList, rect);
    return rect;
}

std::vector<HWND> RemoteProgram::Sliders() const
{
    std::vector<HWND> sliders;
    for (HWND h = ::GetWindow(m_hList, GW_CHILD); h; h = ::GetWindow(h, GW_HWNDNEXT))
    {
        char name[64] = {};
        ::GetClassNameA(h, name, sizeof name);
        if (lstrcmpiA(name, TRACKBAR_CLASSA) == 0)
            sliders.push_back(h);
    }
    return sliders;
}

RECT RemoteProgram::ThumbRect(HWND hSlider)
{
    RECT rect = {};
    Send(hSlider, TBM_GETTHUMBRECT, 0, Remote());
    Read(&rect, sizeof rect);
    ToScreen(hSlider, rect);
    return rect;
}

ProcessCounters RemoteProgram::Counters() const
{
    ProcessCounters counters;
    // Wine leaves PrivateUsage at 0 and reports the process's anonymous
    // resident memory as the page-file usage.
    PROCESS_MEMORY_COUNTERS_EX memory = {};
    memory.cb = sizeof memory;
    if (::GetProcessMemoryInfo(m_hProcess, reinterpret_cast<PROCESS_MEMORY_COUNTERS*>(&memory), sizeof memory))
        counters.privateBytes = memory.PrivateUsage ? memory.PrivateUsage : memory.PagefileUsage;

    // GetGuiResources is a stub under Wine. Its GDI keeps each process's
    // handle table where the PEB's GdiSharedHandleTable points (offset 0x94
    // in a 32-bit PEB); a live handle's entry has a nonzero type byte.
    struct Entry
    {
        UINT64 object;
        ULONG owner;
        USHORT unique;
        UCHAR type;
        UCHAR flags;
        UINT64 user;
    };
    static_assert(sizeof(Entry) == 24, "layout of Wine's handle table entry");
    PROCESS_BASIC_INFORMATION info = {};
    // The probe and the program are built alike: the same PEB layout (the
    // table's pointer at 0x94 in a 32-bit PEB, 0xF8 in a 64-bit one).
    const size_t cbTableOffset = sizeof(void*) == 4 ? 0x94 : 0xF8;
    DWORD_PTR tableAddress = 0;
    if (NtQueryInformationProcess(m_hProcess, ProcessBasicInformation, &info, sizeof info, nullptr) == 0 &&
        ::ReadProcessMemory(m_hProcess, static_cast<BYTE*>(static_cast<void*>(info.PebBaseAddress)) + cbTableOffset,
                            &tableAddress, sizeof tableAddress, nullptr) &&
        tableAddress != 0)
    {
        std::vector<Entry> table(0x10000);
        if (::ReadProcessMemory(m_hProcess, reinterpret_cast<void*>(tableAddress), table.data(),
                                table.size() * sizeof(Entry), nullptr))
        {
            for (const Entry& entry : table)
                counters.gdiObjects += entry.type != 0;
        }
    }

    WindowSearch windows = { m_dwProcessId, false, nullptr, 0 };
    ::EnumWindows(CountTopLevel, reinterpret_cast<LPARAM>(&windows));
    counters.windows = windows.nWindows;
    return counters;
}

void RemoteProgram::Select(const std::set<int>& rows)
{
    const int nCount = RowCount();
    for (int i = 0; i < nCount; i++)
    {
        LVITEMA item = {};
        item.stateMask = LVIS_SELECTED;
        item.state = rows.count(i) ? LVIS_SELECTED : 0;
        Write(&item, sizeof item);
        Send(m_hList, LVM_SETITEMSTATE, static_cast<WPARAM>(i), Remote());
    }
}

void RemoteProgram::Command(UINT nID)
{
    Send(m_hMain, WM_COMMAND, MAKEWPARAM(nID, 0), 0);
}

void RemoteProgram::Sort(int nColumn)
{
    NMLISTVIEW notify = {};
    notify.hdr.hwndFrom = m_hList;
    notify.hdr.idFrom = AFX_IDW_PANE_FIRST;
    notify.hdr.code = LVN_COLUMNCLICK;
    notify.iItem = -1;
    notify.iSubItem = nColumn;
    Write(&notify, sizeof notify);
    Send(m_hMain, WM_NOTIFY, AFX_IDW_PANE_FIRST, Remote());
}

// What a trackbar tells its parent: a drag ends with the thumb's position
// and TB_ENDTRACK; a click on the channel pages and ends the same way.
void RemoteProgram::MoveSlider(int nSlider, double dShare, bool bDrag)
{
    const std::vector<HWND> sliders = Sliders();
    if (nSlider < 0 || nSlider >= static_cast<int>(sliders.size()))
        return;
    HWND hSlider = sliders[static_cast<size_t>(nSlider)];
    const LRESULT nMin = Send(hSlider, TBM_GETRANGEMIN, 0, 0);
    const LRESULT nMax = Send(hSlider, TBM_GETRANGEMAX, 0, 0);
    Send(hSlider, TBM_SETPOS, TRUE, nMin + static_cast<LPARAM>(static_cast<double>(nMax - nMin) * dShare));
    const LPARAM lSlider = reinterpret_cast<LPARAM>(hSlider);
    if (bDrag)
    {
        Send(m_hList, WM_HSCROLL, MAKEWPARAM(TB_THUMBTRACK, 0), lSlider);
        Send(m_hList, WM_HSCROLL, MAKEWPARAM(TB_THUMBPOSITION, 0), lSlider);
    }
    else
    {
        Send(m_hList, WM_HSCROLL, MAKEWPARAM(dShare < 0.5 ? TB_PAGEUP : TB_PAGEDOWN, 0), lSlider);
    }
    Send(m_hList, WM_HSCROLL, MAKEWPARAM(TB_ENDTRACK, 0), lSlider);
}

DWORD RemoteProgram::Close(DWORD dwTimeoutMs)
{
    ::PostMessageA(m_hMain, WM_CLOSE, 0, 0);
    DWORD dwCode = STILL_ACTIVE;
    if (::WaitForSingleObject(m_hProcess, dwTimeoutMs) == WAIT_OBJECT_0)
        ::GetExitCodeProcess(m_hProcess, &dwCode);
    return dwCode;
}
}  // namespace probe
