// The program's drawing calls go through named import entries that can be
// replaced and restored; the exports stay reachable.

#include "GdiTestSupport.h"

using namespace gdi_test;

namespace {

BOOL (*savedBitBlt)(HDC, int, int, int, int, HDC, int, int, DWORD) = nullptr;
int replacementCalls = 0;

BOOL CountingBitBlt(HDC dest, int x, int y, int w, int h, HDC src, int sx, int sy, DWORD rop) {
    ++replacementCalls;
    return savedBitBlt(dest, x, y, w, h, src, sx, sy, rop);
}

} // namespace

TEST(ImportTable, EntriesArePatchedByNameAndRestored) {
    ImportTable& table = ImportTable::Program();
    ASSERT_NE(table.Find("GDI32.DLL", "BitBlt"), nullptr);
    EXPECT_EQ(table.Find("gdi32.dll", "NoSuchFunction"), nullptr);
    EXPECT_EQ(table.Find("user32.dll", "BitBlt"), nullptr);
    EXPECT_TRUE(table.ImportsFrom("comctl32.dll"));
    EXPECT_EQ(FindExport("gdi32.dll", "BitBlt"), reinterpret_cast<ImportProc>(&direct::BitBlt));
    EXPECT_EQ(FindExport("user32.dll", "DrawEdge"), reinterpret_cast<ImportProc>(&direct::DrawEdge));

    ImportProc saved = nullptr;
    ASSERT_TRUE(table.Patch("gdi32.dll", "BitBlt", reinterpret_cast<ImportProc>(&CountingBitBlt), &saved));
    savedBitBlt = reinterpret_cast<decltype(savedBitBlt)>(saved);
    EXPECT_EQ(saved, reinterpret_cast<ImportProc>(&direct::BitBlt));
    EXPECT_FALSE(table.Patch("gdi32.dll", "NoSuchFunction", saved, nullptr));

    Canvas a(2, 2);
    Canvas b(2, 2);
    b.Fill(0x12345678);
    replacementCalls = 0;
    EXPECT_TRUE(BitBlt(a.dc, 0, 0, 2, 2, b.dc, 0, 0, SRCCOPY)); // the program's call
    EXPECT_EQ(replacementCalls, 1);
    EXPECT_EQ(a.At(1, 1), 0x12345678u);
    EXPECT_TRUE(direct::BitBlt(a.dc, 0, 0, 2, 2, b.dc, 0, 0, SRCCOPY)); // the export
    EXPECT_EQ(replacementCalls, 1);

    ImportProc replaced = nullptr;
    ASSERT_TRUE(table.Patch("gdi32.dll", "BitBlt", saved, &replaced));
    EXPECT_EQ(replaced, reinterpret_cast<ImportProc>(&CountingBitBlt));
    EXPECT_TRUE(BitBlt(a.dc, 0, 0, 2, 2, b.dc, 0, 0, SRCCOPY));
    EXPECT_EQ(replacementCalls, 1);
}
