// The value classes: strings in the ANSI code page and the checked array.
#include "framework/CDWordArray.h"
#include "framework/CInvalidArgException.h"
#include "framework/CString.h"

#include <gtest/gtest.h>

TEST(CStringTest, FormatLeftCompareAndMakeUpper)
{
    EXPECT_TRUE(CString(nullptr).IsEmpty());
    CString s;
    s.Format("%2d:%02d", 1, 2);
    EXPECT_EQ(CString(" 1:02"), s);
    s.Format("<%s>", std::string(1000, 'x').c_str());  // longer than any first guess
    EXPECT_EQ(1002, s.GetLength());
    EXPECT_EQ(CString("d:"), CString("d:\\").Left(2));
    EXPECT_EQ(CString("d:\\"), CString("d:\\").Left(10));
    EXPECT_TRUE(CString("d:\\").Left(-1).IsEmpty());
    EXPECT_LT(CString("D:").Compare("E:"), 0);
    EXPECT_GT(CString("e:").Compare("E:"), 0);  // case-sensitive

    // In code page 932 the second byte of "ビ" is 'r' (0x72): upper-casing
    // byte by byte would turn it into another character.
    ASSERT_EQ(932u, GetACP());
    EXPECT_EQ(CString("D:ビ"), CString("d:ビ").MakeUpper());
}

TEST(CDWordArrayTest, KeepsOrderGrowsAndChecksEveryIndex)
{
    CDWordArray a;
    EXPECT_THROW(a.GetAt(0), CInvalidArgException);
    EXPECT_EQ(0, a.Add(150));
    EXPECT_EQ(1, a.Add(0xFFFFFFFFu));
    a.SetSize(5);
    a[3] = 7;
    a.SetAt(2, 9);
    EXPECT_EQ((std::vector<DWORD>{150, 0xFFFFFFFFu, 9, 7, 0}),
              (std::vector<DWORD>{a[0], a[1], a.GetAt(2), a.GetAt(3), a[4]}));
    a.SetSize(2);
    EXPECT_THROW(a.GetAt(2), CInvalidArgException);
    EXPECT_THROW(a.GetAt(-1), CInvalidArgException);
    EXPECT_THROW(a.SetAt(2, 0), CInvalidArgException);
    EXPECT_THROW(a[2] = 0, CInvalidArgException);
    EXPECT_THROW(a.SetSize(-1), CInvalidArgException);
    EXPECT_THROW(a.GetAt(5), CException);  // caught as the base class too
    EXPECT_EQ(2, a.GetSize());  // a failed access changes nothing
}
