// The built Ondalux.exe run as a process of its own and worked from outside
// it: its rows read and selected, commands, slider moves and sorts sent, its
// responsiveness, memory, GDI objects, windows and CPU time measured. Shared
// by the soak test and the benchmark.
#pragma once

#include <windows.h>

#include <cstdint>
#include <set>
#include <string>
#include <vector>

namespace soak
{
// A built file's path as CMake names it, reached through Wine's drive Z:.
std::string WindowsPath(const char* pszPath);

// A block of memory inside another process.
class RemoteBuffer
{
public:
    RemoteBuffer() = default;
    ~RemoteBuffer();
    RemoteBuffer(const RemoteBuffer&) = delete;
    RemoteBuffer& operator=(const RemoteBuffer&) = delete;

    bool Attach(HANDLE hProcess, SIZE_T cb);
    LPARAM Address(SIZE_T offset = 0) const;
    void Write(const void* pData, SIZE_T cb, SIZE_T offset = 0);
    void Read(void* pData, SIZE_T cb, SIZE_T offset = 0);

private:
    HANDLE m_hProcess = nullptr;
    void* m_p = nullptr;
};

struct Row
{
    char letter = 0;  // from the "(X:)" of the drive column; 0 when absent
    std::string state;
    std::string time;
    bool selected = false;
};

class RemoteProgram
{
public:
    RemoteProgram() = default;
    ~RemoteProgram();  // ends a program that is still running by force
    RemoteProgram(const RemoteProgram&) = delete;
    RemoteProgram& operator=(const RemoteProgram&) = delete;

    // Starts the executable; false when it cannot be started.
    bool Start(const std::string& exe);
    // Waits for the visible main window with the given number of rows (any
    // number when negative; any window at all with kAnyWindow) and for its
    // thread to answer a message.
    enum { kAnyWindow = -2 };
    bool WaitForWindow(int nRows, DWORD dwTimeoutMs = 30000);
    bool Running() const;
    DWORD Id() const { return m_process.dwProcessId; }
    HANDLE Process() const { return m_process.hProcess; }
    HWND Main() const { return m_hMain; }
    HWND List() const { return m_hList; }

    // WM_NULL to the main window and back, in ms; a value of at least
    // dwTimeoutMs when it did not come back in time.
    DWORD RoundTripMs(DWORD dwTimeoutMs = 1000) const;
    std::vector<Row> Rows();
    int RowCount() const;
    void Select(const std::set<int>& rows);
    void Command(UINT nID);
    // The list view's column-click notification, as a header click sends it.
    void Sort(int nColumn);
    // A slider of a row moved to a share (0..1) of its range: as a drag's end
    // when bDrag, as a click on its channel otherwise.
    void MoveSlider(int nSlider, double dShare, bool bDrag);
    int SliderCount() const;

    // Closes the main window as its close box does; the exit code, or
    // STILL_ACTIVE when the process does not end within the time.
    DWORD Close(DWORD dwTimeoutMs = 15000);

private:
    std::vector<HWND> Sliders() const;
    LRESULT Send(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam, DWORD dwTimeoutMs = 10000) const;
    std::string ItemText(int nItem, int nSubItem);

    PROCESS_INFORMATION m_process = {};
    HWND m_hMain = nullptr;
    HWND m_hList = nullptr;
    RemoteBuffer m_buffer;
};

// Counters of another process that must come back to their level.
struct ProcessCounters
{
    SIZE_T privateBytes = 0;  // private committed memory as the system reports it
    int gdiObjects = 0;       // live entries of its GDI handle table
    int windows = 0;          // its windows, children included
};
ProcessCounters ReadCounters(HANDLE hProcess, DWORD dwProcessId);

// Unix side of Wine processes, read through drive Z:.
// The Unix process id of a process of this prefix that runs an executable
// of that file name, or 0.
int UnixPidOf(const std::string& exe);
// The wineserver of this prefix, or 0.
int WineServerPid();
// CPU time (user + system) of a Unix process, in ms (10 ms steps).
double UnixCpuMs(int pid);
// The scheduler's CPU time of a Unix process's main thread (the wineserver
// has no other), in ns. Files are opened by the wineserver, so the path must
// name the thread: /proc/thread-self would be the server's own.
class UnixCpuClock
{
public:
    explicit UnixCpuClock(int pid);
    ~UnixCpuClock();
    UnixCpuClock(const UnixCpuClock&) = delete;
    UnixCpuClock& operator=(const UnixCpuClock&) = delete;
    uint64_t NowNs();

private:
    HANDLE m_hFile;
};
}
