// Looks at a running Ondalux from outside its process, for the end-to-end
// test and the run command's screenshot:
//   uiprobe wait [SECONDS]     wait for the main window and its first rows
//   uiprobe rows               one line per row: index, selected, focused, texts
//   uiprobe geometry           screen rectangles of the window, the list,
//                              every row, every slider and every bar button
//   uiprobe select N...        make exactly rows N... selected
//   uiprobe command CMD        send the main window a menu command: a name
//                              (play, pause, stop, repeat, next, prev, eject,
//                              help, about, exit), an ID_ name or a number
//   uiprobe close              close the main window and wait for the process
//   uiprobe sliders            one line per row, in row order: the screen
//                              rectangles of its slider and of the thumb, then
//                              the slider's position, minimum and maximum
//   uiprobe menu               screen rectangle of the open pop-up menu;
//                              fails when no menu is open
#include "tools/probe/RemoteProgram.h"

#include "res/resource.h"

#include <commctrl.h>

#include <cstdio>
#include <cstdlib>
#include <string>

namespace
{
void PrintRect(const std::string& name, const RECT& r)
{
    std::printf("%s %ld %ld %ld %ld\n", name.c_str(), r.left, r.top, r.right, r.bottom);
}

// The shown slider whose vertical centre lies inside the row.
HWND SliderOfRow(const probe::RemoteProgram& program, const RECT& row)
{
    for (HWND h : program.Sliders())
    {
        RECT rect;
        ::GetWindowRect(h, &rect);
        const LONG centre = (rect.top + rect.bottom) / 2;
        if (::IsWindowVisible(h) && centre >= row.top && centre < row.bottom)
            return h;
    }
    return nullptr;
}

struct CommandName
{
    const char* pszShort;
    const char* pszId;
    UINT nID;
};
const CommandName kCommands[] = {
    { "play", "ID_CD_PLAY", ID_CD_PLAY },
    { "pause", "ID_CD_PAUSE", ID_CD_PAUSE },
    { "stop", "ID_CD_STOP", ID_CD_STOP },
    { "repeat", "ID_CD_REPEAT", ID_CD_REPEAT },
    { "next", "ID_CD_NEXT_TRACK", ID_CD_NEXT_TRACK },
    { "prev", "ID_CD_PREV_TRACK", ID_CD_PREV_TRACK },
    { "eject", "ID_CD_EJECT", ID_CD_EJECT },
    { "help", "ID_HELP", ID_HELP },
    { "about", "ID_APP_ABOUT", ID_APP_ABOUT },
    { "exit", "ID_APP_EXIT", ID_APP_EXIT },
    { "toolbar", "ID_VIEW_TOOLBAR", ID_VIEW_TOOLBAR },
    { "statusbar", "ID_VIEW_STATUS_BAR", ID_VIEW_STATUS_BAR },
};

// A command's number from its name or its digits; 0 when it is neither.
UINT CommandId(const std::string& text)
{
    for (const CommandName& c : kCommands)
        if (text == c.pszShort || text == c.pszId)
            return c.nID;
    if (text.empty() || text.find_first_not_of("0123456789") != std::string::npos)
        return 0;
    return static_cast<UINT>(std::strtoul(text.c_str(), nullptr, 10));
}

int Usage()
{
    std::fprintf(stderr, "usage: uiprobe wait [SECONDS] | rows | geometry | select N... | command CMD | close"
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
        for (HWND h = ::FindWindowA("#32768", nullptr); h; h = ::FindWindowExA(nullptr, h, "#32768", nullptr))
        {
            RECT rect;
            if (::IsWindowVisible(h) && ::GetWindowRect(h, &rect))
            {
                PrintRect("menu", rect);
                return 0;
            }
        }
        return 1;
    }
    if (command == "wait")
    {
        const DWORD dwDeadline = ::GetTickCount() + 1000 * (argc > 2 ? std::atoi(argv[2]) : 30);
        do
        {
            probe::RemoteProgram program;
            if (program.Attach() && program.RowCount() > 0)
                return 0;
            ::Sleep(100);
        } while (::GetTickCount() < dwDeadline);
        std::fprintf(stderr, "uiprobe: no Ondalux window with rows\n");
        return 1;
    }

    probe::RemoteProgram program;
    if (!program.Attach())
    {
        std::fprintf(stderr, "uiprobe: no Ondalux window\n");
        return 1;
    }
    const int nCount = program.RowCount();
    if (command == "rows")
    {
        int i = 0;
        for (const probe::Row& row : program.Rows())
            std::printf("%d\t%d\t%d\t%s\t%s\t%s\n", i++, row.selected, row.focused, row.name.c_str(),
                        row.state.c_str(), row.time.c_str());
        return 0;
    }
    if (command == "geometry")
    {
        RECT rect;
        ::GetWindowRect(program.Main(), &rect);
        PrintRect("window", rect);
        ::GetClientRect(program.List(), &rect);
        ::MapWindowPoints(program.List(), nullptr, reinterpret_cast<POINT*>(&rect), 2);
        PrintRect("list", rect);
        for (int i = 0; i < nCount; i++)
        {
            PrintRect("row" + std::to_string(i), program.ItemRect(i, LVIR_BOUNDS));
            PrintRect("icon" + std::to_string(i), program.ItemRect(i, LVIR_ICON));
        }
        int nSlider = 0;
        for (HWND h : program.Sliders())
        {
            char name[48];
            std::snprintf(name, sizeof name, "slider%d %p", nSlider++, static_cast<void*>(h));
            ::GetWindowRect(h, &rect);
            PrintRect(name, rect);
        }
        HWND hBar = ::GetDlgItem(program.Main(), AFX_IDW_TOOLBAR);
        for (HWND h = hBar ? ::GetWindow(hBar, GW_CHILD) : nullptr; h; h = ::GetWindow(h, GW_HWNDNEXT))
        {
            ::GetWindowRect(h, &rect);
            PrintRect("button" + std::to_string(::GetDlgCtrlID(h)), rect);
        }
        return 0;
    }
    if (command == "sliders")
    {
        for (int i = 0; i < nCount; i++)
        {
            HWND hSlider = SliderOfRow(program, program.ItemRect(i, LVIR_BOUNDS));
            if (!hSlider)
            {
                std::printf("slider%d none\n", i);
                continue;
            }
            RECT rect;
            ::GetWindowRect(hSlider, &rect);
            const RECT thumb = program.ThumbRect(hSlider);
            std::printf("slider%d %ld %ld %ld %ld thumb %ld %ld %ld %ld pos %ld %ld %ld\n", i, rect.left,
                        rect.top, rect.right, rect.bottom, thumb.left, thumb.top, thumb.right, thumb.bottom,
                        static_cast<long>(::SendMessageA(hSlider, TBM_GETPOS, 0, 0)),
                        static_cast<long>(::SendMessageA(hSlider, TBM_GETRANGEMIN, 0, 0)),
                        static_cast<long>(::SendMessageA(hSlider, TBM_GETRANGEMAX, 0, 0)));
        }
        return 0;
    }
    if (command == "select")
    {
        std::set<int> rows;
        for (int a = 2; a < argc; a++)
            rows.insert(std::atoi(argv[a]));
        program.Select(rows);
        return 0;
    }
    if (command == "command" && argc == 3)
    {
        const UINT nID = CommandId(argv[2]);
        if (nID == 0)
        {
            std::fprintf(stderr, "uiprobe: unknown command %s\n", argv[2]);
            return 2;
        }
        program.Command(nID);
        return 0;
    }
    if (command == "close")
        return program.Close(10000) == STILL_ACTIVE ? 1 : 0;
    return Usage();
}
