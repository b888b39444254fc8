// The value classes: strings in the ANSI code page, the checked array, the
// run-time class records and the invalid-argument exception.
#include "framework/CDWordArray.h"
#include "framework/CInvalidArgException.h"
#include "framework/CRect.h"
#include "framework/CString.h"

#include <gtest/gtest.h>

TEST(CStringTest, ConstructionCopyAndComparison)
{
    CString empty(nullptr);
    EXPECT_TRUE(empty.IsEmpty());
    EXPECT_STREQ("", static_cast<const char*>(empty));

    CString a("D:");
    CString b = a;
    b += "\\";
    EXPECT_EQ(CString("D:"), a);
    EXPECT_TRUE(b == "D:\\");
    EXPECT_TRUE("D:\\" == b);
    EXPECT_TRUE(a != b);
    EXPECT_EQ(3, b.GetLength());

    EXPECT_LT(CString("D:").Compare("E:"), 0);
    EXPECT_GT(CString("e:").Compare("E:"), 0);  // case-sensitive
    EXPECT_EQ(0, CString("E:").Compare("E:"));
    EXPECT_EQ(CString("ab") + "c" + CString("d") + 'e', CString("abcde"));
    EXPECT_EQ("x" + CString("y"), CString("xy"));
}

TEST(CStringTest, FormatGrowsToAnyLength)
{
    CString s;
    s.Format("%2d:%02d:%02d", 1, 2, 3);
    EXPECT_EQ(CString(" 1:02:03"), s);

    CString longText(std::string(1000, 'x').c_str());
    s.Format("<%s>", static_cast<const char*>(longText));
    EXPECT_EQ(1002, s.GetLength());
    s.Format("%s", "");
    EXPECT_TRUE(s.IsEmpty());
}

TEST(CStringTest, LeftClampsItsCount)
{
    CString s("d:\\");
    EXPECT_EQ(CString("d:"), s.Left(2));
    EXPECT_EQ(s, s.Left(10));
    EXPECT_TRUE(s.Left(0).IsEmpty());
    EXPECT_TRUE(s.Left(-1).IsEmpty());
}

TEST(CStringTest, MakeUpperKeepsDoubleByteCharacters)
{
    // In code page 932 the second byte of "ビ" is 'r' (0x72): upper-casing
    // bytes one by one would turn it into another character.
    ASSERT_EQ(932u, GetACP());
    CString s("d:ビ");
    ASSERT_EQ(4, s.GetLength());
    s.MakeUpper();
    EXPECT_EQ(CString("D:ビ"), s);
    EXPECT_EQ(CString("D:"), CString("d:\\").MakeUpper().Left(2));
}

TEST(CDWordArrayTest, KeepsOrderAndGrows)
{
    CDWordArray a;
    EXPECT_EQ(0, a.GetSize());
    EXPECT_EQ(0, a.Add(150));
    EXPECT_EQ(1, a.Add(0xFFFFFFFFu));
    EXPECT_EQ(150u, a[0]);
    EXPECT_EQ(0xFFFFFFFFu, a.GetAt(1));
    a.SetSize(4);
    EXPECT_EQ(4, a.GetSize());
    EXPECT_EQ(0u, a[3]);
    a[3] = 7;
    a.SetAt(2, 9);
    EXPECT_EQ(9u, a.GetAt(2));
    EXPECT_EQ(7u, a.GetAt(3));
    a.SetSize(1);
    EXPECT_EQ(150u, a[0]);
    a.RemoveAll();
    EXPECT_EQ(0, a.GetSize());
}

TEST(CDWordArrayTest, EveryAccessOutsideRaisesInvalidArgument)
{
    CDWordArray a;
    EXPECT_THROW(a.GetAt(0), CInvalidArgException);
    a.Add(1);
    a.Add(2);
    const CDWordArray& c = a;
    EXPECT_THROW(a.GetAt(2), CInvalidArgException);
    EXPECT_THROW(a.GetAt(-1), CInvalidArgException);
    EXPECT_THROW(a.SetAt(2, 0), CInvalidArgException);
    EXPECT_THROW(a[2] = 0, CInvalidArgException);
    EXPECT_THROW(c[-1], CInvalidArgException);
    EXPECT_THROW(a.SetSize(-1), CInvalidArgException);
    EXPECT_EQ(2, a.GetSize());  // a failed access changes nothing

    // Caught as the base class too, and identified at run time.
    try {
        a.GetAt(5);
        FAIL();
    } catch (CException& e) {
        EXPECT_TRUE(e.IsKindOf(RUNTIME_CLASS(CInvalidArgException)));
        EXPECT_TRUE(e.IsKindOf(RUNTIME_CLASS(CObject)));
        EXPECT_STREQ("CInvalidArgException", e.GetRuntimeClass()->m_lpszClassName);
    }
    EXPECT_FALSE(CException().IsKindOf(RUNTIME_CLASS(CInvalidArgException)));
}

TEST(CRectTest, CentreTruncatesTowardZero)
{
    CRect r(-5, -5, 0, 2);
    EXPECT_EQ(CPoint(-2, -1), r.CenterPoint());
    r.InflateRect(-1, -1);
    EXPECT_EQ(CRect(-4, -4, -1, 1), r);
    EXPECT_EQ(3, r.Width());
    EXPECT_EQ(5, r.Height());
}
