#pragma once
// The sample-history file: a CSV text that the history is saved to and read back from. The
// reader also takes the data logger's files of every column table. Numbers are written with
// '.'; the reader accepts '.' or ',' as the decimal separator and ',' or ';' between fields.

#include "device/Datarec.h"

#include <cstdint>
#include <deque>
#include <string>
#include <vector>

class CDataMem;

class CHistoryFile {
public:
    static constexpr const char* NotOurFormat = "Not VantrelOrrery file format";
    static constexpr const char* NoHeader = "No header line";
    static constexpr const char* HeaderNames =
        "Sample number,Timestamp (ms),Status,R,X,Gamma,P,Ratio,I1,I2,3rd Cap,Load,Tune,Temp,"
        "RF peak,DC bias,RF cap";
    static constexpr int KeepRecords = 100000;

    // What every file of ours begins with: ";Log File of Vantrel Orrery".
    static std::string FileMark();
    // The first line: ";Log File of Vantrel Orrery. Created: " and the date and time.
    static std::string FirstLine(const std::string& dateTimeText);
    // The whole file for the records of a history (oldest first), lines ending in CR LF.
    // unitId is the unit identity text, empty when the unit did not answer.
    static std::string Write(const CDataMem& history, const std::string& dateTimeText,
                             const std::string& unitId);

    struct Result {
        std::string Error;              // empty on success
        std::deque<CDataRec> Records;   // the newest KeepRecords rows that were read
        int Skipped = 0;                // data rows with too few fields or a bad field
    };
    // Reads a file's text. Lines end with CR LF, LF or CR alone; a UTF-8 byte-order mark at the
    // start is passed over. Unknown column names are ignored. An empty text is an empty history;
    // a text without the file's first line, or whose data lines all fail, is refused. head: the
    // text is the start of a longer file, whose last line may be cut short and is left out.
    static Result Read(const std::string& text, bool head = false);
    // Whether the start of a file already shows what Read refuses as not ours: its first line
    // (blank lines passed over) does not begin with the file mark. False when the head cannot
    // tell (empty, blanks only, or a first line it cuts off while it still matches the mark).
    static bool HeadIsNotOurs(const std::string& head);
    // What a reader is told of the data rows a read passed over: "1 line could not be read and
    // was skipped", "<n> lines could not be read and were skipped"; empty for none.
    static std::string SkippedNote(int skipped);

    // The column id of a header name (its position in the reader's list), -1 when unknown.
    static int ColumnId(const std::string& name);
};
