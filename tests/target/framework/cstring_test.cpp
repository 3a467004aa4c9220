#include "afx.h"
#include <gtest/gtest.h>
#include <string.h>
#include <string>

TEST(CString, CopiesAreIndependentAfterAChange)
{
    CString a("alpha");
    CString b(a);
    b += "-beta";
    EXPECT_STREQ(a, "alpha");
    EXPECT_STREQ(b, "alpha-beta");
    CString c;
    c = b;
    c = "gamma";
    EXPECT_STREQ(b, "alpha-beta");
    EXPECT_EQ(c.GetLength(), 5);
    char* p = a.GetBuffer(10);
    p[0] = 'A';
    a.ReleaseBuffer();
    EXPECT_STREQ(a, "Alpha");
    EXPECT_STREQ(CString(b).Left(5), "alpha");  // b unchanged by a's buffer
}

TEST(CString, ConcatenationIncludingItself)
{
    CString s("ab");
    s += s;
    EXPECT_STREQ(s, "abab");
    s += 'c';
    EXPECT_STREQ(s, "ababc");
    s = s + s.Left(1);
    EXPECT_STREQ(s, "ababca");
    EXPECT_STREQ("x" + CString("y") + "z", "xyz");
    CString empty;
    EXPECT_TRUE(empty.IsEmpty());
    EXPECT_STREQ(empty + empty, "");
    CString grown;
    for (int i = 0; i < 1000; ++i)
        grown += "0123456789";
    EXPECT_EQ(grown.GetLength(), 10000);
    EXPECT_STREQ(grown.Right(3), "789");
    grown.Empty();
    EXPECT_TRUE(grown.IsEmpty());
    EXPECT_STREQ(CString((const char*)NULL), "");
}

TEST(CString, LeftAndRightAtTheirEdges)
{
    CString s("Merolin");
    EXPECT_STREQ(s.Left(0), "");
    EXPECT_STREQ(s.Left(-3), "");
    EXPECT_STREQ(s.Left(2), "Me");
    EXPECT_STREQ(s.Left(7), "Merolin");
    EXPECT_STREQ(s.Left(100), "Merolin");
    EXPECT_STREQ(s.Right(0), "");
    EXPECT_STREQ(s.Right(-1), "");
    EXPECT_STREQ(s.Right(3), "lin");
    EXPECT_STREQ(s.Right(7), "Merolin");
    EXPECT_STREQ(s.Right(8), "Merolin");
    EXPECT_STREQ(CString().Left(1), "");
    EXPECT_STREQ(CString().Right(1), "");
}

TEST(CString, FindAtItsEdges)
{
    CString s("C:\\Program Files\\Merolin");
    EXPECT_EQ(s.Find('C'), 0);
    EXPECT_EQ(s.Find('\\'), 2);
    EXPECT_EQ(s.Find('n'), s.GetLength() - 1);
    EXPECT_EQ(s.Find('z'), -1);
    EXPECT_EQ(s.Find("Merolin"), 17);
    EXPECT_EQ(s.Find("merolin"), -1);  // case matters
    EXPECT_EQ(s.Find("C:"), 0);
    EXPECT_EQ(s.Find("Merolinx"), -1);
    EXPECT_EQ(s.Find(""), 0);
    EXPECT_EQ(CString().Find("a"), -1);
    EXPECT_EQ(CString().Find('a'), -1);
}

TEST(CString, FormatOfAnyLength)
{
    CString s;
    s.Format("To install Merolin, at least\r\n%d Kb of free disk space is required.", 500);
    EXPECT_STREQ(s, "To install Merolin, at least\r\n500 Kb of free disk space is required.");
    s.Format("%u", 4294967295u);
    EXPECT_STREQ(s, "4294967295");
    s.Format("%s|%d|%s", "", -7, "x");
    EXPECT_STREQ(s, "|-7|x");
    s.Format("");
    EXPECT_TRUE(s.IsEmpty());
    std::string big(5000, 'q');
    s.Format("<%s>", big.c_str());
    EXPECT_EQ(s.GetLength(), 5002);
    EXPECT_EQ(std::string((const char*)s), "<" + big + ">");
    // widths filled with zeros, after the sign; a long; a percent sign; the string's own text
    s.Format("%04u-%02u %lu%% %03d", 7u, 12u, 4000000000ul, -5);
    EXPECT_STREQ(s, "0007-12 4000000000% -05");
    s.Format("<%s>", (const char*)s);
    EXPECT_STREQ(s, "<0007-12 4000000000% -05>");
    CString t("keep");
    CString u(t);
    u.Format("%d", 1);
    EXPECT_STREQ(t, "keep");
}

TEST(CString, ReleaseBufferLooksForTheEndWithinTheBufferOnly)
{
    CString s;
    char* p = s.GetBuffer(8);
    memset(p, 'x', 8);  // filled to the brim, no terminator of its own
    s.ReleaseBuffer();
    EXPECT_EQ(s.GetLength(), 8);
    EXPECT_STREQ(s, "xxxxxxxx");
    p = s.GetBuffer(8);
    strcpy(p, "abc");
    s.ReleaseBuffer();
    EXPECT_STREQ(s, "abc");
}

