#include "panel/Historyfile.h"
#include "panel/Tarvo.h"

#include "common/Helpers.h"
#include "device/Datamem.h"
#include "platform/Numberformat.h"

#include <gtest/gtest.h>
#include <random>

namespace {

CDataRec Rec(int64_t time, uint32_t status, std::initializer_list<std::pair<int, double>> values)
{
    CDataRec r;
    r.SetTime(time);
    r.SetStatus(status);
    for (auto [id, v] : values)
        r.SetValue(id, v);
    return r;
}

constexpr int AllIds[] = {varid::R, varid::X, varid::Gamma, varid::DeliveredPower,
                          varid::CurrentRatio, varid::Current1, varid::Current2,
                          varid::ThirdCapPosition, varid::LoadPosition, varid::TunePosition,
                          varid::Temp, varid::RfPeak, varid::DcBias, varid::RfCap};

const char* const Head = ";Log File of Vantrel Orrery. Created: 1.2.2026 10:00:00\r\n";

struct CommaLocale {
    CommaLocale() { platform::NumberFormat::Install(platform::NumberFormat(',', ';')); }
    ~CommaLocale() { platform::NumberFormat::Uninstall(); }
};

std::string text_of(const std::string (&lines)[5])
{
    std::string text;
    for (const std::string& l : lines)
        text += l + "\r\n";
    return text;
}

TEST(HistoryFile, SavedFileIsGoldenAndReadsBackTheSame)
{
    CommaLocale comma; // the file is written with '.' whatever the locale
    CDataMem history;
    history.Append(Rec(5000, 0x8001, {{varid::R, 50.25}, {varid::X, -3.5}, {varid::Temp, 35}}));
    history.Append(Rec(6250, 0x12AB, {{varid::RfCap, 4095}}));
    EXPECT_EQ(CHistoryFile::Write(history, "1.2.2026 10:00:00", "Unit SN:5 PIN:00000400"),
              std::string(Head) + ";Unit SN:5 PIN:00000400\r\n"
              ";Sample number,Timestamp (ms),Status,R,X,Gamma,P,Ratio,I1,I2,3rd Cap,Load,Tune,"
              "Temp,RF peak,DC bias,RF cap\r\n"
              "0,0,00008001,50.250000,-3.500000,0.000000,0.000000,0.000000,0.000000,0.000000,"
              "0.000000,0.000000,0.000000,35.000000,0.000000,0.000000,0.000000\r\n"
              "1,1250,000012AB,0.000000,0.000000,0.000000,0.000000,0.000000,0.000000,0.000000,"
              "0.000000,0.000000,0.000000,0.000000,0.000000,0.000000,4095.000000\r\n");
    // A unit that does not answer leaves ";" alone.
    const std::string text = CHistoryFile::Write(history, "x", "");
    EXPECT_NE(text.find("\r\n;\r\n;Sample number"), std::string::npos);
}

TEST(HistoryFile, NumbersAreWrittenAsTheGeneralConversionWritesThem)
{
    std::mt19937 gen(3);
    std::vector<double> values = {0.0078125, -0.0078125, 2.5e-6, 0.5e-6, -0.0, -1e-7, 1e11, 3e12,
                                  3e38, 123456.789, -9999.999999};
    std::uniform_real_distribution<double> wide(-1e6, 1e6);
    for (int i = 0; i < 2000; ++i)
        values.push_back(wide(gen) / double(1 << (i % 20)));
    for (double v : values) {
        CDataMem history;
        history.Append(Rec(0, 0, {{varid::R, v}}));
        const std::string text = CHistoryFile::Write(history, "", "");
        const std::string expected = "0,0,00000000," + FloatToText(float(v), 6, '.') + ",";
        ASSERT_NE(text.find(expected), std::string::npos) << v;
    }
}

TEST(HistoryFile, RoundTripKeepsValuesStatusAndTimes)
{
    std::mt19937 gen(7);
    std::uniform_real_distribution<double> value(-5000.0, 5000.0);
    CDataMem history;
    int64_t t = 123456789;
    for (int i = 0; i < 300; ++i) {
        CDataRec r;
        for (int id : AllIds)
            r.SetValue(id, value(gen));
        r.SetStatus(uint32_t(gen()));
        t += 1 + gen() % 5000;
        r.SetTime(t);
        history.Append(r);
    }
    const CHistoryFile::Result back = CHistoryFile::Read(CHistoryFile::Write(history, "now", ""));
    ASSERT_EQ(back.Error, "");
    EXPECT_EQ(back.Skipped, 0);
    ASSERT_EQ(back.Records.size(), 300u);
    for (int i = 0; i < 300; ++i) {
        const CDataRec& a = *history.At(i);
        const CDataRec& b = back.Records[size_t(i)];
        EXPECT_EQ(b.Status(), a.Status());
        EXPECT_EQ(b.Time(), a.Time() - history.At(0)->Time());
        for (int id : AllIds)
            EXPECT_EQ(FloatToText(b.Value(id), 6, '.'), FloatToText(a.Value(id), 6, '.'))
                << "record " << i << " id " << id;
    }
}

TEST(HistoryFile, DataLogsOfEveryTableReadBack)
{
    // "Extended" of a two-capacitor unit with the default separators.
    const CHistoryFile::Result ext = CHistoryFile::Read(
        std::string(Head) + ";Unit 1 SN:1234 PIN:00000400\r\n;Log File Sample\r\n"
        ";Sample number,Milliseconds,Hours,Minutes,Seconds,Status,R,X,Gamma,P,Load,Tune,Temp,"
        "RF peak,DC bias,RF cap,Fault0,Fault1\r\n"
        "0,250,08,05,09,0123,50.0,-1.3,0.03,100,33.30,66.60,35,1200,-12,512,00000001,A0000000\r\n"
        "1,1250,08,05,10,0003,48.5,2.0,0.05,90,33.40,66.50,36,1100,-11,500,00000000,00000000\r\n");
    ASSERT_EQ(ext.Error, "");
    ASSERT_EQ(ext.Records.size(), 2u);
    EXPECT_EQ(ext.Records[0].Time(), 0);
    EXPECT_EQ(ext.Records[1].Time(), 1000);
    EXPECT_EQ(ext.Records[0].Status(), 0x0123u);
    EXPECT_FLOAT_EQ(float(ext.Records[0].Value(varid::R)), 50.0f);
    EXPECT_FLOAT_EQ(float(ext.Records[1].Value(varid::TunePosition)), 66.5f);
    EXPECT_FLOAT_EQ(float(ext.Records[1].Value(varid::DcBias)), -11.0f);

    // "Basic" of a third-capacitor unit, written where ',' is the decimal and ';' the list
    // separator.
    const CHistoryFile::Result basic = CHistoryFile::Read(
        std::string(Head)
        + ";Sample number;Timestamp (ms);Status;R;X;Gamma;P;Ratio;I1;I2;Load;Tune;3rd Cap;Fault0;"
          "Fault1\r\n"
          "0;250;0123;50,0;-1,3;0,03;100;1,50;2,26;3,50;33,30;66,60;42,60;00000001;A0000000\r\n");
    ASSERT_EQ(basic.Error, "");
    ASSERT_EQ(basic.Records.size(), 1u);
    EXPECT_FLOAT_EQ(float(basic.Records[0].Value(varid::X)), -1.3f);
    EXPECT_FLOAT_EQ(float(basic.Records[0].Value(varid::Current1)), 2.26f);
    EXPECT_FLOAT_EQ(float(basic.Records[0].Value(varid::ThirdCapPosition)), 42.6f);

    // An output-sensor log: the load columns are not the history's and are passed over; "R
    // load" is not taken for "R".
    const CHistoryFile::Result out = CHistoryFile::Read(
        std::string(Head) + ";Sample number,Milliseconds,R,R load,X load,P load,X\r\n"
                            "0,7,1.5,99.5,98.5,97,2.5\r\n");
    ASSERT_EQ(out.Error, "");
    ASSERT_EQ(out.Records.size(), 1u);
    EXPECT_FLOAT_EQ(float(out.Records[0].Value(varid::R)), 1.5f);
    EXPECT_FLOAT_EQ(float(out.Records[0].Value(varid::X)), 2.5f);
    EXPECT_FLOAT_EQ(float(out.Records[0].Value(varid::CurrentRatio)), 0.0f);
}

TEST(HistoryFile, RefusedFilesAndTheEmptyFile)
{
    EXPECT_EQ(CHistoryFile::Read("Time,R,X\r\n1,2,3\r\n").Error, "Not VantrelOrrery file format");
    EXPECT_EQ(CHistoryFile::Read(";Log File of Someone Else\r\n;R\r\n1\r\n").Error,
              "Not VantrelOrrery file format");
    EXPECT_EQ(CHistoryFile::Read(std::string(Head) + ";only\r\n;comments\r\n").Error,
              "No header line");
    const CHistoryFile::Result empty = CHistoryFile::Read("");
    EXPECT_EQ(empty.Error, "");
    EXPECT_TRUE(empty.Records.empty());
    // What a power loss leaves (NUL bytes), and blanks or control characters alone, hold no
    // line of a history file: refused, not an empty history.
    for (const std::string& text : {std::string(4096, '\0'), std::string(" \t\r\n \r\n"),
                                    std::string("\x01\x02\x1F\r\n\x7F")}) {
        const CHistoryFile::Result r = CHistoryFile::Read(text);
        EXPECT_EQ(r.Error, "Not VantrelOrrery file format") << text.size();
        EXPECT_TRUE(r.Records.empty());
    }
}

TEST(HistoryFile, DataLinesOfWhichNoneReadsAreRefused)
{
    const std::string header = std::string(Head) + ";Sample number,Timestamp (ms),Status,R\r\n";
    const CHistoryFile::Result two = CHistoryFile::Read(header + "0,1x0,0001,1.0\r\n\x01\x02\r\n");
    EXPECT_EQ(two.Error, "None of the 2 data lines could be read");
    EXPECT_EQ(CHistoryFile::Read(header + std::string(300, '\0')).Error, "The data line could not be read");
    // One good line is a history.
    const CHistoryFile::Result one = CHistoryFile::Read(header + "0,100,0001,1.0\r\n1,1x0,0001,1.0\r\n");
    EXPECT_EQ(one.Error, "");
    EXPECT_EQ(one.Records.size(), 1u);
    EXPECT_EQ(one.Skipped, 1);
}

TEST(HistoryFile, LineEndsOfEveryKindAndAByteOrderMark)
{
    const std::string lines[] = {";Log File of Vantrel Orrery. Created: x", ";Unit SN:5",
                                 ";Sample number,Timestamp (ms),Status,R", "0,100,0001,1.5", "1,300,0002,2.5"};
    for (const std::string end : {"\r\n", "\n", "\r"}) {
        std::string text;
        for (const std::string& l : lines)
            text += l + end;
        for (const std::string& bom : {std::string(), std::string("\xEF\xBB\xBF")}) {
            const CHistoryFile::Result r = CHistoryFile::Read(bom + text);
            EXPECT_EQ(r.Error, "") << int(end[0]) << " " << bom.size();
            ASSERT_EQ(r.Records.size(), 2u);
            EXPECT_EQ(r.Records[1].Time(), 200);
            EXPECT_FLOAT_EQ(float(r.Records[1].Value(varid::R)), 2.5f);
        }
    }
    // A lone CR after the header, and mixed line ends.
    const CHistoryFile::Result mixed = CHistoryFile::Read(lines[0] + "\r\n" + lines[1] + "\n" + lines[2] + "\r" +
                                                         lines[3] + "\r\n" + lines[4]);
    EXPECT_EQ(mixed.Error, "");
    EXPECT_EQ(mixed.Records.size(), 2u);
    EXPECT_EQ(mixed.Skipped, 0);
    // A mark anywhere but at the start is not passed over.
    EXPECT_EQ(CHistoryFile::Read("\r\n\xEF\xBB\xBF" + text_of(lines)).Error, "Not VantrelOrrery file format");
}

TEST(HistoryFile, HeadOfALongerFileLeavesOutItsCutLine)
{
    const std::string text = std::string(Head) + ";Timestamp (ms),R\r\n0,1\r\n100,2\r\n200,3";
    const CHistoryFile::Result head = CHistoryFile::Read(text, true);
    EXPECT_EQ(head.Error, "");
    EXPECT_EQ(head.Records.size(), 2u);
    EXPECT_EQ(head.Skipped, 0);
    EXPECT_EQ(CHistoryFile::Read(text).Records.size(), 3u);
    // The head of a file that holds no line end at all.
    EXPECT_EQ(CHistoryFile::Read(std::string(Head, 10), true).Error, "Not VantrelOrrery file format");
}

TEST(HistoryFile, HeadTellsAnotherKindOfFileByItsFirstLine)
{
    // Refused at once: another program's first line, NUL bytes without a line end.
    EXPECT_TRUE(CHistoryFile::HeadIsNotOurs("Time,R,X\r\n1,2,3"));
    EXPECT_TRUE(CHistoryFile::HeadIsNotOurs(std::string(1 << 20, '\0')));
    EXPECT_TRUE(CHistoryFile::HeadIsNotOurs("\r\n \t\r\n;Log File of Someone"));
    // Ours, or not to be told from the head: the whole file decides.
    EXPECT_FALSE(CHistoryFile::HeadIsNotOurs(std::string(Head) + ";R\r\n1"));
    EXPECT_FALSE(CHistoryFile::HeadIsNotOurs("\xEF\xBB\xBF\r\n" + std::string(Head)));
    EXPECT_FALSE(CHistoryFile::HeadIsNotOurs(std::string(Head, 12)));
    EXPECT_FALSE(CHistoryFile::HeadIsNotOurs(""));
    EXPECT_FALSE(CHistoryFile::HeadIsNotOurs(" \r\n\t"));
}

TEST(HistoryFile, AFileWithoutItsHeaderIsNoLog)
{
    // What a log file holds when only the start of its header reached it.
    const std::string id = ";Unit 1 SN:1234 PIN:00000400\r\n";
    for (const std::string& text : {std::string(Head), std::string(Head) + id,
                                    std::string(Head) + id + ";Log File Sample\r\n"})
        EXPECT_EQ(CHistoryFile::Read(text).Error, "No header line") << text;
}

TEST(HistoryFile, CommentLinesOnlyHaveNoHeaderLine)
{
    // Every line a comment, a column header among them or not: saved from an empty history, a
    // data log stopped before its first record, a file of the mark, a comment and a header, the
    // mark alone. None is a history.
    const std::string saved = CHistoryFile::Write(CDataMem(), "1.2.2026 10:00:00", "Unit SN:5");
    const std::string logged = std::string(Head) + ";Unit 1 SN:1234 PIN:00000400\r\n;Log File Sample\r\n"
                               ";Sample number;Milliseconds;Status;R;X\r\n";
    const std::string commented = std::string(Head) + ";comment\r\n;Sample number,R\r\n";
    for (const std::string& text : {saved, logged, commented, std::string(Head)}) {
        const CHistoryFile::Result result = CHistoryFile::Read(text);
        EXPECT_EQ(result.Error, "No header line") << text;
        EXPECT_TRUE(result.Records.empty());
        EXPECT_EQ(result.Skipped, 0);
    }
}

TEST(HistoryFile, BadRowsAreSkippedAndCounted)
{
    const CHistoryFile::Result r = CHistoryFile::Read(
        std::string(Head) + ";Sample number,Timestamp (ms),Status,R\r\n"
                            "0,100,0001,1.0\r\n"
                            "1,200,0001\r\n"               // too few fields
                            "2,2x0,0001,2.0\r\n"           // time is not a number
                            "3,300,XYZ,2.0\r\n"            // status is not hexadecimal
                            "4,400,0001,abc\r\n"           // value is not a number
                            "5,500,0001,1e300\r\n"         // not a reading
                            "6,-9223372036854775807,0,1\r\n" // time out of range
                            "7,600,0002,3.5,extra\r\n");   // extra fields are ignored
    EXPECT_EQ(r.Error, "");
    EXPECT_EQ(r.Skipped, 6);
    ASSERT_EQ(r.Records.size(), 2u);
    EXPECT_EQ(r.Records[1].Time(), 500);
    EXPECT_EQ(r.Records[1].Status(), 2u);
}

TEST(HistoryFile, LongFileKeepsTheNewestRecords)
{
    std::string text = std::string(Head) + ";Timestamp (ms),R\r\n";
    const int rows = CHistoryFile::KeepRecords + 1234;
    for (int i = 0; i < rows; ++i)
        text += std::to_string(i) + "," + std::to_string(i % 100) + "\r\n";
    const CHistoryFile::Result r = CHistoryFile::Read(text);
    ASSERT_EQ(r.Records.size(), size_t(CHistoryFile::KeepRecords));
    EXPECT_EQ(r.Records.front().Time(), 1234); // relative to the file's first row
    EXPECT_EQ(r.Records.back().Time(), rows - 1);
}

TEST(Tarvo, GoldenFileWithTheWorkedRows)
{
    CommaLocale comma;
    CDataMem history;
    history.Append(Rec(1000, 0, {{varid::R, 50}, {varid::X, 0}, {varid::DeliveredPower, 50},
                                 {varid::LoadPosition, 33.25}, {varid::TunePosition, 66.5},
                                 {varid::ThirdCapPosition, 12.5}, {varid::CurrentRatio, 1.25},
                                 {varid::Current1, 2.5}, {varid::Current2, 3.75}}));
    history.Append(Rec(1500, 0, {{varid::R, 0}, {varid::X, 10}, {varid::DeliveredPower, 100}}));
    history.Append(Rec(2600, 0, {{varid::R, 5}, {varid::X, -20}, {varid::DeliveredPower, 20}}));
    history.Append(Rec(3000, 0, {{varid::R, 0}, {varid::X, -0.0}}));
    const CTarvoStamp stamp{2017, 11, 16, 9, 5, 7};
    EXPECT_EQ(CTarvo::Write(history, stamp),
              ";Tarvo\r\n;FileVer=0\r\n;Tarvo\r\n;Document=0,2017,11,16,9,5,7\r\n;Comment\r\n"
              ";EndOfComment\r\n;ProbeSN=0.0.0.0.0.0\r\n;Timer=0\r\n;Average=100\r\n;Run=1\r\n"
              ";Operator=Unknown\r\n;Tool=Unknown\r\n;Recipe=Unknown\r\n;Batch=Unknown\r\n"
              ";Freqs=6\r\n;DataSets=1,0\r\n;Freq=0,13560,1\r\n;Freq=0,1,1\r\n;Freq=0,1,2\r\n"
              ";Freq=0,1,3\r\n;Freq=0,1,4\r\n;Freq=0,3,1\r\n;Data=0,-1,6,2017,11,16,9,5,7\r\n"
              "0,50.000000,33.250000,66.500000,12.500000,1.250000,2.500000,1.000000,0,0,0,0,"
              "3.750000,0.000000,0,0,0,0,0\r\n"
              "500,0.000000,0.000000,0.000000,0.000000,0.000000,0.000000,0.000000,0,0,0,0,"
              "0.000000,90.000002,0,0,0,0,0\r\n"
              "1600,41.231056,0.000000,0.000000,0.000000,0.000000,0.000000,2.000000,0,0,0,0,"
              "0.000000,-75.963758,0,0,0,0,0\r\n"
              "2000,0.000000,0.000000,0.000000,0.000000,0.000000,0.000000,0.000000,0,0,0,0,"
              "0.000000,0.000000,0,0,0,0,0\r\n");
}

TEST(Tarvo, DerivedValues)
{
    const CTarvo::Derived a = CTarvo::Derive(50, 0, 50);
    EXPECT_DOUBLE_EQ(a.I, 1.0);
    EXPECT_DOUBLE_EQ(a.V, 50.0);
    EXPECT_FALSE(std::signbit(CTarvo::Derive(0, -0.0, 10).Phase));
    EXPECT_FALSE(std::signbit(CTarvo::Derive(-0.0, 0, 10).Phase));
    EXPECT_EQ(CTarvo::Derive(-5, 3, 10).I, 0.0); // R below zero: no current, no division
    EXPECT_EQ(CTarvoStamp({2026, 1, 2, 0, 0, 9}).Text(), "2026,1,2,0,0,9");
}

} // namespace
