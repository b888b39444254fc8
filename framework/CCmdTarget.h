// An object with a message table: the base of windows and of the application.
//
// A message table is a static array of entries, each naming a message (or a
// command identifier, or a reflected notification code) and a "cracker": a
// small function, generated from the handler's address, that unpacks the
// message's parameters into the handler's typed arguments and calls it. Each
// class's table ends by pointing at its base class's table, so a lookup walks
// from the most derived class towards CCmdTarget.
#pragma once

#include "framework/CObject.h"
#include "framework/Platform.h"

class CCmdTarget;
class CCmdUI;

// Codes passed to OnCmdMsg.
enum : int
{
    CN_COMMAND = 0,             // carry out the command
    CN_UPDATE_COMMAND_UI = -1,  // ask for its state; pExtra is the CCmdUI
};

// The message as the dispatch hands it to a cracker.
struct AFX_MSGARGS
{
    UINT message;
    WPARAM wParam;
    LPARAM lParam;
    void* pExtra;      // the CCmdUI of a state update
    LRESULT* pResult;  // the result slot of a reflected notification
};

typedef LRESULT (*AFX_PCRACKER)(CCmdTarget* pTarget, const AFX_MSGARGS& args);

struct AFX_MSGMAP_ENTRY
{
    UINT nMessage;  // window message; WM_COMMAND for commands and state updates,
                    // WM_NOTIFY for reflected notifications
    UINT nCode;     // command code (CN_...) or notification code
    UINT nID;       // command identifier
    UINT nLastID;
    AFX_PCRACKER pfnCracker;  // null ends the table
};

struct AFX_MSGMAP
{
    const AFX_MSGMAP* (*pfnGetBaseMap)();  // null for CCmdTarget's own table
    const AFX_MSGMAP_ENTRY* lpEntries;
};

// Filled by OnCmdMsg instead of calling the handler: who would handle it.
struct AFX_CMDHANDLERINFO
{
    CCmdTarget* pTarget;
    const AFX_MSGMAP_ENTRY* pEntry;
};

class CCmdTarget : public CObject
{
    DECLARE_DYNAMIC(CCmdTarget)

public:
    // Looks the command up in this object's table chain and calls its handler
    // (or, with pHandlerInfo, only reports it). TRUE when an entry exists.
    virtual BOOL OnCmdMsg(UINT nID, int nCode, void* pExtra, AFX_CMDHANDLERINFO* pHandlerInfo);

    // The application's wait cursor (counted; see CWinApp).
    void BeginWaitCursor();
    void EndWaitCursor();

protected:
    static const AFX_MSGMAP* GetThisMessageMap();
    virtual const AFX_MSGMAP* GetMessageMap() const;

    const AFX_MSGMAP_ENTRY* FindMessageEntry(UINT nMessage, UINT nCode, UINT nID) const;
};

// The class that declares a handler: the object is cast to it before the call.
template <class>
struct AfxHandlerClass;
template <class C, class R, class... A>
struct AfxHandlerClass<R (C::*)(A...)>
{
    typedef C type;
};

template <auto pfn>
typename AfxHandlerClass<decltype(pfn)>::type* AfxHandlerTarget(CCmdTarget* p)
{
    return static_cast<typename AfxHandlerClass<decltype(pfn)>::type*>(p);
}

// A handler without arguments: commands, and messages such as WM_PAINT.
template <auto pfn>
LRESULT AfxCrackVoid(CCmdTarget* p, const AFX_MSGARGS&)
{
    (AfxHandlerTarget<pfn>(p)->*pfn)();
    return 0;
}

template <auto pfn>
LRESULT AfxCrackUpdateCommandUI(CCmdTarget* p, const AFX_MSGARGS& a)
{
    (AfxHandlerTarget<pfn>(p)->*pfn)(static_cast<CCmdUI*>(a.pExtra));
    return 0;
}

// In the class declaration (leaves the access at protected).
#define DECLARE_MESSAGE_MAP()                     \
protected:                                        \
    static const AFX_MSGMAP* GetThisMessageMap(); \
    const AFX_MSGMAP* GetMessageMap() const override;

// In the class's source file. Handlers are named, not addressed:
// ON_COMMAND(ID_APP_ABOUT, OnAppAbout) or ON_COMMAND(ID_HELP_INDEX, CWinApp::OnHelpIndex).
// The table opens in one macro and closes in the other: the formatter
// cannot follow that and leaves them as written.
// clang-format off
#define BEGIN_MESSAGE_MAP(theClass, baseClass)                                  \
    const AFX_MSGMAP* theClass::GetMessageMap() const { return GetThisMessageMap(); } \
    const AFX_MSGMAP* theClass::GetThisMessageMap()                              \
    {                                                                            \
        typedef theClass ThisClass;                                              \
        typedef baseClass TheBaseClass;                                          \
        static const AFX_MSGMAP_ENTRY entries[] = {

#define END_MESSAGE_MAP()                                                        \
            {0, 0, 0, 0, nullptr}};                                              \
        static_assert(sizeof(ThisClass) > 0, "");                                \
        static const AFX_MSGMAP messageMap = {&TheBaseClass::GetThisMessageMap, entries}; \
        return &messageMap;                                                      \
    }

// clang-format on

#define ON_COMMAND(id, memberFxn)                                                              \
    { WM_COMMAND, static_cast<UINT>(CN_COMMAND), static_cast<UINT>(id), static_cast<UINT>(id), \
      &AfxCrackVoid<&ThisClass::memberFxn> },

#define ON_UPDATE_COMMAND_UI(id, memberFxn)                                                              \
    { WM_COMMAND, static_cast<UINT>(CN_UPDATE_COMMAND_UI), static_cast<UINT>(id), static_cast<UINT>(id), \
      &AfxCrackUpdateCommandUI<&ThisClass::memberFxn> },
