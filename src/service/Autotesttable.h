#pragma once
// The auto-test step table without the window: a header row, numbered data rows of time (s),
// Load (%) and Tune (%) as typed, and a blank numbered trailing row that is never saved.
// Rows are counted as the grid shows them: row 0 is the header, rows 1 .. RowCount() - 2 hold
// data and row RowCount() - 1 is the trailing row. Column 0 holds the row's number.
//
// The table file: a first line "time,Load,Tune", then one line per data row with its three
// cells as comma text (a cell holding a comma, a quote, a blank or a control character is
// quoted, so it reads back as it was saved), lines ending in CR LF.

#include <array>
#include <string>
#include <vector>

class CAutoTestTable {
public:
    static constexpr int Columns = 4;
    static constexpr int ValueColumns = 3; // columns 1 .. 3
    static constexpr const char* FileHeader = "time,Load,Tune";
    static constexpr size_t MaxFileSize = 16 * 1024 * 1024;

    CAutoTestTable() { Reset(); }

    // Header and one blank row numbered 1.
    void Reset();
    int RowCount() const { return int(rows_.size()) + 1; }
    // Header texts in row 0, the number in column 0; "" outside the table.
    std::string Cell(int row, int col) const;
    // Column 1 .. 3 of a data or trailing row; false (nothing changes) elsewhere. Line breaks
    // become blanks, as one cell is one line of the file. With grow, a non-empty trailing row
    // gets a new blank trailing row after it; *grew tells whether it did.
    bool SetCell(int row, int col, const std::string& text, bool grow = true, bool* grew = nullptr);
    // A blank row at r (1 <= r < RowCount()); the rows from r on move down.
    bool Insert(int r);
    // Removes data row r (1 <= r < RowCount() - 1); the trailing row is never removed.
    bool Remove(int r);

    // Accepted lines of a table file; the table is reset first. Lines whose first three comma
    // text fields are not all numbers are skipped; the line numbers (from 1) of those skipped
    // lines that are neither blank nor the first line (a header) go to rejected.
    void LoadText(const std::string& text, std::vector<int>* rejected = nullptr);
    std::string SaveText() const;

    // The file read whole and loaded; false with the reason, the table unchanged.
    bool LoadFile(const std::string& path, std::string& error, std::vector<int>* rejected = nullptr);
    // Written whole or not at all; false with the reason.
    bool SaveFile(const std::string& path, std::string& error) const;

    // The text-to-float conversion of table cells: the whole text (blanks around it allowed)
    // must be a finite number written with the locale's decimal separator.
    static bool CellToFloat(const std::string& text, double& value);

private:
    using Row = std::array<std::string, ValueColumns>;
    static bool Blank(const Row& row);
    std::vector<Row> rows_; // rows 1 .. RowCount() - 1
};
