// The control bar's icon buttons, read back from the screen: each shows its
// own 16 x 16 icon centred over the face the system paints, in every state.
#include "AppTestSupport.h"

#include "res/resource.h"

namespace
{
const UINT kButtons[] = { ID_CD_PLAY, ID_CD_PAUSE, ID_CD_STOP, ID_CD_REPEAT, ID_CD_NEXT_TRACK, ID_CD_PREV_TRACK };

bool SamePixels(const Capture& a, const Capture& b)
{
    if (a.Width() != b.Width() || a.Height() != b.Height())
        return false;
    for (int y = 0; y < a.Height(); y++)
    {
        for (int x = 0; x < a.Width(); x++)
        {
            if (a.At(x, y) != b.At(x, y))
                return false;
        }
    }
    return true;
}

class IconButtonTest : public AppTest
{
protected:
    HWND Button(UINT nID) { return ::GetDlgItem(Bar(), static_cast<int>(nID)); }

    // After the pending paints: empty when the button shows its icon at
    // ((w - 16) / 2, (h - 16) / 2), else what is wrong.
    std::string GlyphCentred(UINT nID)
    {
        Pump();
        const Capture capture(Button(nID));
        const IconImage icon(nID, 16);
        if (!icon.Loaded())
            return "the icon does not load";
        return icon.Mismatch(capture, (capture.Width() - 16) / 2, (capture.Height() - 16) / 2);
    }
};
}

TEST_F(IconButtonTest, GlyphStaysCentredUpPushedFocusedAndChecked)
{
    for (UINT nID : kButtons)
    {
        SCOPED_TRACE(nID);
        HWND hButton = Button(nID);
        EXPECT_EQ("", GlyphCentred(nID)) << "up";
        const Capture up(hButton);

        ::SendMessageA(hButton, BM_SETSTATE, TRUE, 0);
        EXPECT_EQ("", GlyphCentred(nID)) << "pushed";
        // The face did change: the capture is not a stale picture.
        EXPECT_FALSE(SamePixels(up, Capture(hButton)));
        ::SendMessageA(hButton, BM_SETSTATE, FALSE, 0);

        ::SetFocus(hButton);
        ASSERT_EQ(hButton, ::GetFocus());
        EXPECT_EQ("", GlyphCentred(nID)) << "focused";
        m_pFrame->m_wndDriveList.SetFocus();
    }

    // Repeat on: the idle-time update checks the repeat button.
    Command(ID_CD_REPEAT);
    Pump();
    ASSERT_EQ(BST_CHECKED, ::SendMessageA(Button(ID_CD_REPEAT), BM_GETCHECK, 0, 0));
    EXPECT_EQ("", GlyphCentred(ID_CD_REPEAT)) << "checked";
    ::SendMessageA(Button(ID_CD_REPEAT), BM_SETSTATE, TRUE, 0);
    EXPECT_EQ("", GlyphCentred(ID_CD_REPEAT)) << "checked and pushed";
    ::SendMessageA(Button(ID_CD_REPEAT), BM_SETSTATE, FALSE, 0);
}

TEST_F(IconButtonTest, OddSpareLeavesTheExtraPixelRightAndBelowAndANarrowButtonShowsTheMiddle)
{
    HWND hButton = Button(ID_CD_PLAY);
    const IconImage icon(ID_CD_PLAY, 16);
    ASSERT_TRUE(icon.Loaded());

    ::SetWindowPos(hButton, nullptr, 0, 0, 41, 21, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    Pump();
    ASSERT_EQ(41, Capture(hButton).Width());
    EXPECT_EQ("", icon.Mismatch(Capture(hButton), 12, 2));

    ::SetWindowPos(hButton, nullptr, 0, 0, 10, 11, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    Pump();
    EXPECT_EQ("", icon.Mismatch(Capture(hButton), -3, -2));
}

TEST_F(IconButtonTest, PaintingAThousandTimesDoesNotGrowTheGdiObjects)
{
    for (UINT nID : kButtons)
        ::RedrawWindow(Button(nID), nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
    const int nBefore = GdiObjectCount();
    ASSERT_GT(nBefore, 0);
    HBRUSH hBrush = ::CreateSolidBrush(0);
    EXPECT_EQ(nBefore + 1, GdiObjectCount()) << "the count does not see a new object";
    ::DeleteObject(hBrush);

    for (int i = 0; i < 1000; i++)
    {
        for (UINT nID : kButtons)
            ::RedrawWindow(Button(nID), nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
    }
    EXPECT_LE(GdiObjectCount() - nBefore, 5);
    EXPECT_EQ("", GlyphCentred(ID_CD_PLAY));
}
