// The application object: starts COM and the common controls, creates the
// main frame, and handles the about and help commands.
#pragma once

#include "framework/Framework.h"

class CMainApp : public CWinApp
{
public:
    CMainApp();

    BOOL InitInstance() override;
    int ExitInstance() override;

protected:
    void OnAppAbout();
    void OnHelp();
    void OnUpdateHelp(CCmdUI* pCmdUI);

    DECLARE_MESSAGE_MAP()

private:
    // The executable's name with ".chm", resolved against the current folder.
    CString GetHelpFileName() const;
};
