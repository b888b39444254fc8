// A modal dialog box from a dialog template. OK, Cancel, Esc and the close
// box end it through OnOK and OnCancel. A template that does not place the
// box (at 0, 0 without DS_ABSALIGN) opens it centred over its owner.
#pragma once

#include "framework/CWnd.h"

class CDialog : public CWnd
{
    DECLARE_DYNAMIC(CDialog)

public:
    // Without a parent the main window owns the dialog.
    explicit CDialog(UINT nIDTemplate, CWnd* pParentWnd = nullptr);

    // Runs the dialog; its owner is disabled meanwhile. Returns the value
    // given to EndDialog, or -1 when the dialog could not be created.
    virtual INT_PTR DoModal();
    // TRUE lets the system give the focus to the first tab stop.
    virtual BOOL OnInitDialog();
    void EndDialog(int nResult) { ::EndDialog(m_hWnd, nResult); }

protected:
    virtual void OnOK();
    virtual void OnCancel();
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;

    UINT m_nIDTemplate;
    CWnd* m_pParentWnd;

private:
    void CenterOverOwner();
    bool m_bCenter = false;

    DECLARE_MESSAGE_MAP()
};
