// The auto-test step table: the trailing row, insert and remove, the table file with awkward
// cells, lines that do not load, the locale's decimal separator, and files that cannot be read
// or written.

#include "service/Autotesttable.h"

#include "platform/Numberformat.h"
#include "support/Tempdir.h"

#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>

namespace {

using Rows = std::vector<std::vector<std::string>>;

Rows AllRows(const CAutoTestTable& t)
{
    Rows rows;
    for (int r = 0; r < t.RowCount(); ++r)
        rows.push_back({t.Cell(r, 0), t.Cell(r, 1), t.Cell(r, 2), t.Cell(r, 3)});
    return rows;
}

void Fill(CAutoTestTable& t, const Rows& values)
{
    for (size_t i = 0; i < values.size(); ++i)
        for (int c = 1; c <= 3; ++c)
            ASSERT_TRUE(t.SetCell(int(i) + 1, c, values[i][size_t(c - 1)]));
}

class ScopedDecimal {
public:
    explicit ScopedDecimal(char decimal) { platform::NumberFormat::Install(platform::NumberFormat(decimal)); }
    ~ScopedDecimal() { platform::NumberFormat::Uninstall(); }
};

TEST(AutoTestTable, TrailingRowInsertAndRemove)
{
    CAutoTestTable t;
    EXPECT_EQ(AllRows(t), (Rows{{"N", "time, s", "Load, %", "Tune, %"}, {"1", "", "", ""}}));
    bool grew = false;
    ASSERT_TRUE(t.SetCell(1, 2, "20", true, &grew));
    EXPECT_TRUE(grew);
    EXPECT_EQ(t.RowCount(), 3);
    ASSERT_TRUE(t.SetCell(1, 1, "1", true, &grew)); // not the trailing row: no growth
    EXPECT_FALSE(grew);
    t.SetCell(1, 3, "30");
    Fill(t, {{"1", "20", "30"}, {"2", "40", "50"}});
    EXPECT_EQ(t.RowCount(), 4);
    EXPECT_FALSE(t.SetCell(0, 1, "x"));
    EXPECT_FALSE(t.SetCell(1, 0, "x"));
    EXPECT_FALSE(t.SetCell(4, 1, "x"));
    // While running an edit does not grow the table.
    ASSERT_TRUE(t.SetCell(3, 1, "9", false, &grew));
    EXPECT_FALSE(grew);
    t.SetCell(3, 1, "");

    // Insert at row 2: (1, 20, 30), blank 2, (2, 40, 50) as 3, trailing 4.
    ASSERT_TRUE(t.Insert(2));
    EXPECT_EQ(AllRows(t), (Rows{{"N", "time, s", "Load, %", "Tune, %"},
                                {"1", "1", "20", "30"},
                                {"2", "", "", ""},
                                {"3", "2", "40", "50"},
                                {"4", "", "", ""}}));
    EXPECT_FALSE(t.Insert(0));
    EXPECT_FALSE(t.Insert(5));
    EXPECT_TRUE(t.Insert(4)); // before the trailing row
    EXPECT_EQ(t.RowCount(), 6);
    // Remove: never the header, never the trailing row.
    EXPECT_FALSE(t.Remove(0));
    EXPECT_FALSE(t.Remove(5));
    ASSERT_TRUE(t.Remove(2));
    ASSERT_TRUE(t.Remove(3));
    EXPECT_EQ(AllRows(t), (Rows{{"N", "time, s", "Load, %", "Tune, %"},
                                {"1", "1", "20", "30"},
                                {"2", "2", "40", "50"},
                                {"3", "", "", ""}}));
    t.Reset();
    EXPECT_EQ(t.RowCount(), 2);
}

TEST(AutoTestTable, SavedAsTypedAndAwkwardCellsReadBack)
{
    CAutoTestTable t;
    EXPECT_EQ(t.SaveText(), "time,Load,Tune\r\n");
    Fill(t, {{"2.50", "20", "30"}, {"1,5", "say \"hi\"", " 7 "}, {"", "x y", "4"}});
    EXPECT_EQ(t.SaveText(), "time,Load,Tune\r\n"
                            "2.50,20,30\r\n"
                            "\"1,5\",\"say \"\"hi\"\"\",\" 7 \"\r\n"
                            ",\"x y\",4\r\n");
    // Numbers round-trip exactly; the awkward rows are not numbers and are reported.
    CAutoTestTable back;
    std::vector<int> rejected;
    back.LoadText(t.SaveText(), &rejected);
    EXPECT_EQ(AllRows(back), (Rows{{"N", "time, s", "Load, %", "Tune, %"},
                                   {"1", "2.50", "20", "30"},
                                   {"2", "", "", ""}}));
    EXPECT_EQ(rejected, (std::vector<int>{3, 4}));

    // Cells that are numbers with blanks around them keep them through a save and a load.
    CAutoTestTable padded;
    Fill(padded, {{" 1", "20 ", "+3e1"}});
    back.LoadText(padded.SaveText());
    EXPECT_EQ(AllRows(back), AllRows(padded));
    // A line break typed into a cell cannot split the file's line.
    padded.SetCell(1, 1, "1\r\n");
    EXPECT_EQ(padded.Cell(1, 1), "1  ");
}

TEST(AutoTestTable, LinesThatDoNotLoad)
{
    CAutoTestTable t;
    std::vector<int> rejected;
    t.LoadText("time,Load,Tune\r\n", &rejected);
    EXPECT_EQ(AllRows(t), (Rows{{"N", "time, s", "Load, %", "Tune, %"}, {"1", "", "", ""}}));
    EXPECT_TRUE(rejected.empty());

    t.LoadText("time,Load,Tune\n1.5,20,30,x\na,20,30\n\n5 40 \"60\"\r2,nan,3\r\n1,2\n-5,0,100", &rejected);
    EXPECT_EQ(AllRows(t), (Rows{{"N", "time, s", "Load, %", "Tune, %"},
                                {"1", "1.5", "20", "30"},
                                {"2", "5", "40", "60"},
                                {"3", "-5", "0", "100"},
                                {"4", "", "", ""}}));
    EXPECT_EQ(rejected, (std::vector<int>{3, 6, 7}));

    // With a decimal comma 1.5 is not a number; 1,5 in quotes is.
    ScopedDecimal comma(',');
    t.LoadText("1.5,20,30\n\"1,5\",20,30\n", &rejected);
    EXPECT_EQ(t.RowCount(), 3);
    EXPECT_EQ(t.Cell(1, 1), "1,5");
    double v = 0;
    EXPECT_TRUE(CAutoTestTable::CellToFloat("1,5", v));
    EXPECT_DOUBLE_EQ(v, 1.5);
    EXPECT_FALSE(CAutoTestTable::CellToFloat("1.5", v));
}

TEST(AutoTestTable, FilesThatCannotBeReadOrWrittenChangeNothing)
{
    testsupport::TempDir dir;
    CAutoTestTable t;
    Fill(t, {{"1", "20", "30"}});
    const std::string path = dir.File("steps.csv");
    std::string error;
    ASSERT_TRUE(t.SaveFile(path, error)) << error;

    CAutoTestTable other;
    Fill(other, {{"9", "9", "9"}});
    EXPECT_FALSE(other.LoadFile(dir.File("missing.csv"), error));
    EXPECT_NE(error.find("missing.csv"), std::string::npos);
    EXPECT_EQ(other.Cell(1, 1), "9");
    EXPECT_FALSE(other.LoadFile(dir.Path(), error)); // a folder
    EXPECT_EQ(other.Cell(1, 1), "9");
    ASSERT_TRUE(other.LoadFile(path, error)) << error;
    EXPECT_EQ(AllRows(other), AllRows(t));

    // A save into a folder that does not exist fails and leaves no file behind.
    EXPECT_FALSE(t.SaveFile(dir.File("no/such/steps.csv"), error));
    EXPECT_FALSE(error.empty());
    // A file too large for a table is refused.
    const std::string big = dir.File("big.csv");
    {
        std::ofstream out(big, std::ios::binary);
        out.seekp(std::streamoff(CAutoTestTable::MaxFileSize + 10));
        out.put('\n');
    }
    EXPECT_FALSE(other.LoadFile(big, error));
    EXPECT_EQ(other.RowCount(), 3);
}

} // namespace
