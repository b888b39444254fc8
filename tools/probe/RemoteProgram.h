// Ondalux worked from outside its process, either started here or found
// running: its rows read and selected, its geometry, commands, slider moves
// and sorts sent, its responsiveness and its memory, GDI objects and windows
// counted. Used by uiprobe, the soak and bad-input tests and the benchmark.
#pragma once

#include <windows.h>

#include <set>
#include <string>
#include <vector>

namespace probe
{
// A built file's path as CMake names it, reached through Wine's drive Z:.
std::string WindowsPath(const char* pszPath);

struct Row
{
    std::string name;  // the drive column
    std::string state;
    std::string time;
    char letter = 0;  // from the "(X:)" of the name; 0 when absent
    bool selected = false;
    bool focused = false;
};

// Counters of the process that must come back to their level.
struct ProcessCounters
{
    SIZE_T privateBytes = 0;  // private committed memory as the system reports it
    int gdiObjects = 0;       // live entries of its GDI handle table
    int windows = 0;          // its windows, children included
};

class RemoteProgram
{
public:
    RemoteProgram() = default;
    ~RemoteProgram();  // ends a program started here that still runs, by force
    RemoteProgram(const RemoteProgram&) = delete;
    RemoteProgram& operator=(const RemoteProgram&) = delete;

    // Starts the executable; false when it cannot be started or is built
    // for the other bitness (Error says which).
    bool Start(const std::string& exe);
    // Waits for the started program's visible main window with the given
    // number of rows (any number when negative; any window at all with
    // kAnyWindow) and for its thread to answer a message.
    enum
    {
        kAnyWindow = -2
    };
    bool WaitForWindow(int nRows, DWORD dwTimeoutMs = 30000);
    // Reaches an Ondalux that runs already, found by its window's title;
    // false when there is none or it is built for the other bitness.
    bool Attach();
    // Why the last Start or Attach refused a program of the other bitness,
    // whose structures differ from the probe's; empty otherwise.
    const std::string& Error() const { return m_error; }

    bool Running() const;
    DWORD Id() const { return m_dwProcessId; }
    HWND Main() const { return m_hMain; }
    HWND List() const { return m_hList; }

    // WM_NULL to the main window and back, in ms; a value of at least
    // dwTimeoutMs when it did not come back in time.
    DWORD RoundTripMs(DWORD dwTimeoutMs = 1000) const;
    int RowCount() const;
    std::vector<Row> Rows();
    // A row's rectangle (LVIR_BOUNDS, LVIR_ICON, ...) on the screen.
    RECT ItemRect(int nItem, int nCode);
    // The list's trackbars in z-order, hidden ones included.
    std::vector<HWND> Sliders() const;
    // A slider's thumb on the screen.
    RECT ThumbRect(HWND hSlider);
    ProcessCounters Counters() const;

    // Makes exactly these rows selected.
    void Select(const std::set<int>& rows);
    void Command(UINT nID);
    // The list view's column-click notification, as a header click sends it.
    void Sort(int nColumn);
    // A slider moved to a share (0..1) of its range: as a drag's end when
    // bDrag, as a click on its channel otherwise.
    void MoveSlider(int nSlider, double dShare, bool bDrag);
    // Closes the main window as its close box does; the exit code, or
    // STILL_ACTIVE when the process does not end within the time.
    DWORD Close(DWORD dwTimeoutMs = 15000);

private:
    bool Connect(HWND hMain);
    LRESULT Send(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam) const;
    std::string ItemText(int nItem, int nSubItem);
    // The block of memory inside the program that carries the messages' structures.
    LPARAM Remote(SIZE_T offset = 0) const;
    void Write(const void* pData, SIZE_T cb, SIZE_T offset = 0);
    void Read(void* pData, SIZE_T cb, SIZE_T offset = 0);

    std::string m_error;
    HANDLE m_hProcess = nullptr;
    DWORD m_dwProcessId = 0;
    bool m_bStarted = false;
    HWND m_hMain = nullptr;
    HWND m_hList = nullptr;
    void* m_pBuffer = nullptr;
};
}  // namespace probe
