// The about box as the Help menu's command opens it.
#include "AppTestSupport.h"

#include <map>
#include <vector>

#include "res/resource.h"

namespace
{
std::vector<HWND> Children(HWND hDlg)
{
    std::vector<HWND> children;
    for (HWND h = ::GetWindow(hDlg, GW_CHILD); h; h = ::GetWindow(h, GW_HWNDNEXT))
        children.push_back(h);
    return children;
}

CString Text(HWND hWnd)
{
    char text[256] = {};
    ::GetWindowTextA(hWnd, text, sizeof text);
    return CString(text);
}

// Width of the text in the control's own font.
int TextWidth(HWND hWnd)
{
    const CString text = Text(hWnd);
    HDC hdc = ::GetDC(hWnd);
    HGDIOBJ hOld = ::SelectObject(hdc, reinterpret_cast<HFONT>(::SendMessageA(hWnd, WM_GETFONT, 0, 0)));
    SIZE size = {};
    ::GetTextExtentPoint32A(hdc, text, text.GetLength(), &size);
    ::SelectObject(hdc, hOld);
    ::ReleaseDC(hWnd, hdc);
    return size.cx;
}

// Pixels of a control that differ from its most frequent colour.
int InkedPixels(HWND hWnd)
{
    ::InvalidateRect(hWnd, nullptr, TRUE);
    ::UpdateWindow(hWnd);
    const Capture capture(hWnd);
    std::map<uint32_t, int> counts;
    for (int y = 0; y < capture.Height(); y++)
        for (int x = 0; x < capture.Width(); x++)
            counts[capture.At(x, y)]++;
    int nBackground = 0;
    for (const auto& c : counts)
        nBackground = std::max(nBackground, c.second);
    return capture.Width() * capture.Height() - nBackground;
}
}

TEST_F(AppTest, AboutBoxShowsItsTextsThe48PixelIconAtTheTemplatesCornerAndFocusesOk)
{
    bool bShown = false;
    WithAboutBox(m_pFrame, [&](HWND hDlg) {
        bShown = true;
        EXPECT_EQ(CString("バージョン情報"), Text(hDlg));
        const std::vector<HWND> children = Children(hDlg);
        ASSERT_EQ(4u, children.size());
        const HWND hName = children[0], hNotice = children[1], hIcon = children[3];
        EXPECT_EQ(CString("Ondalux Version 1.2"), Text(hName));
        EXPECT_FALSE(Text(hNotice).IsEmpty());
        // Both lines fit their controls: nothing is cut off.
        for (HWND h : { hName, hNotice })
        {
            CRect rc;
            ::GetClientRect(h, &rc);
            EXPECT_LE(TextWidth(h), rc.Width()) << static_cast<LPCSTR>(Text(h));
        }

        EXPECT_EQ(::GetDlgItem(hDlg, IDOK), ::GetFocus());

        EXPECT_EQ(IDC_ABOUT_ICON, ::GetDlgCtrlID(hIcon));
        CRect corner(6, 18, 0, 0);
        ::MapDialogRect(hDlg, &corner);
        CRect rc;
        ::GetWindowRect(hIcon, &rc);
        ::MapWindowPoints(nullptr, hDlg, reinterpret_cast<POINT*>(&rc), 2);
        EXPECT_EQ(CRect(corner.left, corner.top, corner.left + 48, corner.top + 48), rc);
        const IconImage icon(IDR_MAINFRAME, 48);
        ASSERT_TRUE(icon.Loaded());
        EXPECT_EQ("", icon.Mismatch(Capture(hIcon), 0, 0));
    });
    EXPECT_TRUE(bShown);
}

TEST_F(AppTest, AboutBoxNameLineDrawsAmpersandsLiterallyUnlikeTheNoticeLine)
{
    WithAboutBox(m_pFrame, [&](HWND hDlg) {
        const std::vector<HWND> children = Children(hDlg);
        ASSERT_EQ(4u, children.size());
        const HWND hName = children[0], hNotice = children[1];
        // Eight ampersands: drawn as eight on the name line; the notice line
        // reads each pair as one escaped ampersand and draws four.
        ::SetWindowTextA(hName, "&&&&&&&&");
        ::SetWindowTextA(hNotice, "&&&&&&&&");
        const int nName = InkedPixels(hName);
        const int nNotice = InkedPixels(hNotice);
        EXPECT_GT(nNotice, 0);
        EXPECT_GT(nName * 10, nNotice * 17) << nName << " against " << nNotice;
        EXPECT_LT(nName * 10, nNotice * 23) << nName << " against " << nNotice;
    });
}

TEST_F(AppTest, AboutBoxOpenedAThousandTimesDoesNotGrowTheGdiObjects)
{
    AutoCloseDialogs closer;
    Command(ID_APP_ABOUT);
    Pump();
    const int nBefore = GdiObjectCount();
    ASSERT_GT(nBefore, 0);
    for (int i = 0; i < 1000; i++)
        Command(ID_APP_ABOUT);
    Pump();
    EXPECT_EQ(1001, closer.Closed());
    EXPECT_LE(GdiObjectCount() - nBefore, 10);
}
