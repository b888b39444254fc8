// Looks at a running Ondalux from outside its process, for the end-to-end
// tests and the run command: `uiprobe help` lists its commands.
#include "tools/probe/RemoteProgram.h"

#include "res/resource.h"

#include <commctrl.h>

#include <cstdio>
#include <algorithm>
#include <cstdlib>
#include <set>
#include <string>
#include <vector>

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

using Args = std::vector<std::string>;

int Menu(const Args&)
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

int Wait(const Args& args)
{
    const DWORD dwDeadline = ::GetTickCount() + 1000 * (args.empty() ? 30 : std::atoi(args[0].c_str()));
    do
    {
        probe::RemoteProgram program;
        if (program.Attach() && program.RowCount() > 0)
            return 0;
        if (!program.Error().empty())
        {
            std::fprintf(stderr, "%s\n", program.Error().c_str());
            return 1;
        }
        ::Sleep(100);
    } while (::GetTickCount() < dwDeadline);
    std::fprintf(stderr, "uiprobe: no Ondalux window with rows\n");
    return 1;
}

int Rows(probe::RemoteProgram& program, const Args&)
{
    int i = 0;
    for (const probe::Row& row : program.Rows())
        std::printf("%d\t%d\t%d\t%s\t%s\t%s\n", i++, row.selected, row.focused, row.name.c_str(), row.state.c_str(),
                    row.time.c_str());
    return 0;
}

int Geometry(probe::RemoteProgram& program, const Args&)
{
    RECT rect;
    ::GetWindowRect(program.Main(), &rect);
    PrintRect("window", rect);
    ::GetClientRect(program.List(), &rect);
    ::MapWindowPoints(program.List(), nullptr, reinterpret_cast<POINT*>(&rect), 2);
    PrintRect("list", rect);
    for (int i = 0; i < program.RowCount(); i++)
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

int Sliders(probe::RemoteProgram& program, const Args&)
{
    for (int i = 0; i < program.RowCount(); i++)
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
        std::printf("slider%d %ld %ld %ld %ld thumb %ld %ld %ld %ld pos %ld %ld %ld\n", i, rect.left, rect.top,
                    rect.right, rect.bottom, thumb.left, thumb.top, thumb.right, thumb.bottom,
                    static_cast<long>(::SendMessageA(hSlider, TBM_GETPOS, 0, 0)),
                    static_cast<long>(::SendMessageA(hSlider, TBM_GETRANGEMIN, 0, 0)),
                    static_cast<long>(::SendMessageA(hSlider, TBM_GETRANGEMAX, 0, 0)));
    }
    return 0;
}

int Select(probe::RemoteProgram& program, const Args& args)
{
    std::set<int> rows;
    for (const std::string& arg : args)
        rows.insert(std::atoi(arg.c_str()));
    program.Select(rows);
    return 0;
}

int Command(probe::RemoteProgram& program, const Args& args)
{
    const UINT nID = CommandId(args[0]);
    if (nID == 0)
    {
        std::fprintf(stderr, "uiprobe: unknown command %s\n", args[0].c_str());
        return 2;
    }
    program.Command(nID);
    return 0;
}

int Close(probe::RemoteProgram& program, const Args&)
{
    return program.Close(10000) == STILL_ACTIVE ? 1 : 0;
}

// One row per command: its name, the arguments it takes (fewest, most), its
// synopsis and help, and its handler: with the program attached, or alone.
struct Verb
{
    const char* pszName;
    size_t nMinArgs, nMaxArgs;
    const char* pszSynopsis;
    const char* pszHelp;
    int (*pfnAttached)(probe::RemoteProgram&, const Args&);
    int (*pfnAlone)(const Args&);
};
const size_t kAny = 64;
const Verb kVerbs[] = {
    { "wait", 0, 1, "wait [SECONDS]", "wait for the main window and its first rows", nullptr, Wait },
    { "rows", 0, 0, "rows", "one line per row: index, selected, focused, texts", Rows, nullptr },
    { "geometry", 0, 0, "geometry",
      "screen rectangles of the window, the list, every row, every slider and every bar button", Geometry, nullptr },
    { "select", 0, kAny, "select N...", "make exactly rows N... selected", Select, nullptr },
    { "command", 1, 1, "command CMD",
      "send the main window a menu command: a name (play, pause, stop, repeat, next, prev, eject, help, about, "
      "exit, toolbar, statusbar), an ID_ name or a number",
      Command, nullptr },
    { "close", 0, 0, "close", "close the main window and wait for the process", Close, nullptr },
    { "sliders", 0, 0, "sliders",
      "one line per row, in row order: the screen rectangles of its slider and of the thumb, then the slider's "
      "position, minimum and maximum",
      Sliders, nullptr },
    { "menu", 0, 0, "menu", "screen rectangle of the open pop-up menu; fails when no menu is open", nullptr, Menu },
};

int Usage(FILE* pOut)
{
    std::fprintf(pOut, "usage: uiprobe COMMAND [ARGUMENTS]\n");
    for (const Verb& verb : kVerbs)
        std::fprintf(pOut, "  %-16s %s\n", verb.pszSynopsis, verb.pszHelp);
    return pOut == stdout ? 0 : 2;
}
}  // namespace

int main(int argc, char** argv)
{
    const std::string name = argc > 1 ? argv[1] : "";
    if (name == "help")
        return Usage(stdout);
    const Args args(argv + std::min(argc, 2), argv + argc);
    for (const Verb& verb : kVerbs)
    {
        if (name != verb.pszName)
            continue;
        if (args.size() < verb.nMinArgs || args.size() > verb.nMaxArgs)
            return Usage(stderr);
        if (verb.pfnAlone)
            return verb.pfnAlone(args);
        probe::RemoteProgram program;
        if (!program.Attach())
        {
            std::fprintf(stderr, "%s\n",
                         program.Error().empty() ? "uiprobe: no Ondalux window" : program.Error().c_str());
            return 1;
        }
        return verb.pfnAttached(program, args);
    }
    return Usage(stderr);
}
