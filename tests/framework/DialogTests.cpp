// Modal dialogs: the owner, disabled while the dialog runs, and the ways of
// ending a dialog.
#include "TestApp.h"

#include <gtest/gtest.h>

namespace {

class CTestDialog : public CDialog
{
public:
    explicit CTestDialog(UINT nEndMessage, WPARAM wEnd, CWnd* pParent = nullptr)
        : CDialog(IDD_TESTDIALOG, pParent), m_nEndMessage(nEndMessage), m_wEnd(wEnd)
    {
    }

    BOOL OnInitDialog() override
    {
        CDialog::OnInitDialog();
        m_hOwner = ::GetWindow(m_hWnd, GW_OWNER);
        m_bOwnerEnabled = ::IsWindowEnabled(m_hOwner) != FALSE;
        m_bInitialised = true;
        PostMessage(m_nEndMessage, m_wEnd);
        return TRUE;
    }

    UINT m_nEndMessage;
    WPARAM m_wEnd;
    HWND m_hOwner = nullptr;
    bool m_bOwnerEnabled = true;
    bool m_bInitialised = false;
    int m_nOK = 0;

protected:
    void OnOK() override
    {
        ++m_nOK;
        CDialog::OnOK();
    }
};

}  // namespace

TEST(DialogTest, DoModalDisablesItsOwnerAndEnablesItAgain)
{
    CTestFrame* frame = new CTestFrame;
    theApp.m_pMainWnd = frame;
    ASSERT_TRUE(frame->LoadFrame(IDR_TESTFRAME));
    frame->ShowWindow(SW_SHOW);

    CTestDialog ok(WM_COMMAND, IDOK);  // no parent: the main window owns it
    EXPECT_EQ(IDOK, ok.DoModal());
    EXPECT_TRUE(ok.m_bInitialised);
    EXPECT_EQ(frame->m_hWnd, ok.m_hOwner);
    EXPECT_FALSE(ok.m_bOwnerEnabled);
    EXPECT_TRUE(frame->IsWindowEnabled());
    EXPECT_EQ(1, ok.m_nOK);
    EXPECT_EQ(nullptr, ok.m_hWnd);

    CTestDialog closed(WM_CLOSE, 0);  // the close box cancels
    EXPECT_EQ(IDCANCEL, closed.DoModal());
    EXPECT_TRUE(frame->IsWindowEnabled());

    CTestDialog again(WM_COMMAND, IDCANCEL);  // any number of times
    EXPECT_EQ(IDCANCEL, again.DoModal());

    frame->DestroyWindow();
    MSG msg;
    while (::PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
    }
}

TEST(DialogTest, AMissingTemplateFailsWithoutDisablingTheOwner)
{
    CWnd owner;
    ASSERT_TRUE(owner.CreateEx(0, AfxRegisterWndClass(0), "", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr));
    CDialog missing(999, &owner);
    EXPECT_EQ(-1, missing.DoModal());
    EXPECT_TRUE(owner.IsWindowEnabled());
    EXPECT_EQ(nullptr, missing.m_hWnd);
}
