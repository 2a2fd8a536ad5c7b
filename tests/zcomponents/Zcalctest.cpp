#include "zcomponents/Zcalc.h"

#include <cmath>
#include <gtest/gtest.h>
#include <numbers>
#include <random>

namespace {

struct Outcome {
    TzCalcResult result;
    double value;
};

Outcome Calc(const QString& line)
{
    TzCalc calc;
    calc.SetCalcLine(line);
    return {calc.CalcResult(), double(calc.NumberNum())};
}

} // namespace

TEST(TzCalc, GrammarExamples)
{
    struct Case {
        const char* line;
        TzCalcResult result;
        double value;
    } cases[] = {
        {"-3+5", TzcOK, 2},       {"2*3^2", TzcOK, 36},   {"2+3*4", TzcOK, 14},
        {"sqrt(16)", TzcOK, 4},   {"SqRt (16)", TzcOK, 4}, {"3 4", TzcOK, 3},
        {"1,5", TzcOK, 1.5},      {"1.5", TzcOK, 1.5},    {"5.", TzcOK, 5},
        {".5", TzcOK, 0.5},       {"(1+2)*3", TzcOK, 9},  {"10/4", TzcOK, 2.5},
        {"  7 - 2 - 1", TzcOK, 4}, {"", TzcOK, 0},        {"2^-1", TzcNumberMissing, 2},
        {"(1+2", TzcRightPar, 3}, {"1/0", TzcDivZero, 1}, {"sqrt(-1)", TzcDivZero, 0},
        {".", TzcNumberMissing, 0}, {"abc(2)", TzcFunctionMissing, 0},
        {"sin 2", TzcLeftPar, 0}, {"ln(0)", TzcDivZero, 0}, {"log(100)", TzcOK, 2},
        {"arcsin(1.5)", TzcDivZero, 0}, {"arccos(0.5)", TzcOK, std::acos(0.5)},
        {"round(2.5)+round(3.5)", TzcOK, 6}, {"trunc(-2.7)", TzcOK, -2},
        {"ceiling(2.1)", TzcOK, 3}, {"ceiling(-2.1)", TzcOK, -2}, {"floor(-2.1)", TzcOK, -3},
        {"floor(2.9)", TzcOK, 2},  {"frac(2.25)", TzcOK, 0.25}, {"abs(-3)", TzcOK, 3},
        {"sqr(3)", TzcOK, 9},      {"exp(0)", TzcOK, 1},   {"2*pi", TzcOK, 2 * std::numbers::pi},
        {"e", TzcOK, std::numbers::e}, {"(-2)^3", TzcOK, -8}, {"(-8)^0.5", TzcDivZero, -8},
        {"0^-1", TzcNumberMissing, 0}, {"0^(0-1)", TzcDivZero, 0}, {"exp(20000)", TzcOverFlow, 0},
    };
    for (const Case& c : cases) {
        const Outcome o = Calc(QString::fromLatin1(c.line));
        EXPECT_EQ(o.result, c.result) << c.line;
        EXPECT_NEAR(o.value, c.value, 1e-12) << c.line;
    }
}

TEST(TzCalc, ArcSinAndArcCosAtTheEndsOfTheirRange)
{
    const Extended pi = std::numbers::pi_v<Extended>;
    struct Case {
        const char* line;
        Extended value;
    } cases[] = {{"arcsin(1)", pi / 2}, {"arcsin(0-1)", -pi / 2}, {"arccos(1)", 0},
                 {"arccos(0-1)", pi}};
    for (const Case& c : cases) {
        TzCalc calc;
        calc.SetCalcLine(QString::fromLatin1(c.line));
        EXPECT_EQ(calc.CalcResult(), TzcOK) << c.line;
        EXPECT_EQ(calc.NumberNum(), c.value) << c.line;
    }
    EXPECT_EQ(ArcSin(1), pi / 2);
    EXPECT_EQ(ArcCos(-1), pi);
    for (const char* outside : {"arcsin(1.0001)", "arccos(0-1.0001)"})
        EXPECT_EQ(Calc(QString::fromLatin1(outside)).result, TzcDivZero) << outside;
}

TEST(TzCalc, ZeroToThePowerZeroIsOne)
{
    const Outcome o = Calc("0^0");
    EXPECT_EQ(o.result, TzcOK);
    EXPECT_EQ(o.value, 1);
    EXPECT_EQ(Calc("0^0*2").value, 2);
    EXPECT_EQ(Power(0, 0), 1);
}

TEST(TzCalc, ResultsHaveNoNegativeZero)
{
    TzCalc calc;
    for (const char* line : {"round(0-0.5)", "trunc(0-0.5)", "0-0", "(0-1)*0"}) {
        calc.SetCalcLine(QString::fromLatin1(line));
        EXPECT_FALSE(std::signbit(calc.NumberNum())) << line;
        EXPECT_FALSE(std::signbit(calc.RegisterANum())) << line;
        EXPECT_EQ(calc.Number(), "0.00000000000000E+000") << line;
    }
    // A register set to a negative zero, or a small negative value that rounds to zero, shows
    // no sign either.
    calc.SetRegisterANum(-0.0L);
    EXPECT_EQ(calc.RegisterA(), "0.00000000000000E+000");
    QString out;
    for (const char* format : {"%.1f", "%.1n", "%g", "%.1e"}) {
        ASSERT_TRUE(FormatReal(QString::fromLatin1(format), -0.0L, out));
        EXPECT_FALSE(out.startsWith(u'-')) << format;
    }
    ASSERT_TRUE(FormatReal("%.1f", -0.04L, out));
    EXPECT_EQ(out, "0.0");
}

TEST(TzCalc, FormattingRoundsTheDecimalTextHalfAwayFromZero)
{
    TzCalc calc;
    calc.SetFormat("Value=%.1f V");
    calc.SetCalcLine("2.25+0.1");
    EXPECT_EQ(calc.Number(), "Value=2.4 V");
    calc.SetCalcLine("0-2.25-0.1");
    EXPECT_EQ(calc.Number(), "Value=-2.4 V");

    struct Case {
        const char* format;
        Extended value;
        const char* text;
    } cases[] = {
        {"%.1f", 2.35, "2.4"},           {"%.1f", -2.35, "-2.4"},
        {"%.1f", 2.25L, "2.3"},          {"%.2f", 1.005, "1.01"},
        {"%.1f", 9.95, "10.0"},          {"%.1f", 0.05, "0.1"},
        {"%.0f", 0.5, "1"},              {"%.0f", -0.5, "-1"},
        {"%.0f", 2.5, "3"},              {"%.3f", 2.35, "2.350"},
        {"%f", 1.0 / 3, "0.33"},         {"%.2e", 2.35, "2.4E+000"},
        {"%.2e", 9.96, "1.0E+001"},      {"%e", 1.0 / 3, "3.33333333333333E-001"},
        {"%e", -1234.5, "-1.23450000000000E+003"}, {"%.4e", 1.2345e-7, "1.235E-007"},
        {"%.1e", 2.5, "3E+000"},         {"%.2g", 2.35, "2.4"},
        {"%g", 0.1 + 0.2, "0.3"},        {"%g", 1e20, "1E20"},
        {"%g", 1.5e-7, "1.5E-7"},        {"%g", 0.00001, "0.00001"},
        {"%.3g", 1234.5, "1.23E3"},      {"%.4g", 1234.5, "1235"},
        {"%.2n", 1234.565, "1,234.57"},  {"%.2n", -999999.995, "-1,000,000.00"},
        {"%.1f", 1e20, "100000000000000000000.0"},
        {"%.1f", 0.123456789012345678L, "0.1"}, {"%.18f", 0.1, "0.100000000000000000"},
        {"%.2f", 2.675, "2.68"},         {"%.2f", -1.005, "-1.01"},
        // Exact values keep their digits: the shortest text that reads back as the value.
        {"%.0f", 1234567890123456.0, "1234567890123456"},
        {"%.2f", 4503599627370495.5, "4503599627370495.50"},
        {"%.0f", -9007199254740991.0, "-9007199254740991"},
        {"%e", 1234567890123456.0, "1.23456789012346E+015"},
        {"%.18f", 0.1 + 0.2, "0.300000000000000040"},
        // Beyond the range of a double: 17 significant digits.
        {"%.3e", 1.23456e4000L, "1.23E+4000"},
    };
    for (const Case& c : cases) {
        QString out;
        ASSERT_TRUE(FormatReal(QString::fromLatin1(c.format), c.value, out)) << c.format;
        EXPECT_EQ(out, QString::fromLatin1(c.text)) << c.format << " " << double(c.value);
    }
    // A value far beyond the size of any fixed buffer is shown whole.
    QString huge;
    ASSERT_TRUE(FormatReal("%.2f", 1e300, huge));
    EXPECT_EQ(huge, "1" + QString(300, u'0') + ".00");
}

TEST(TzCalc, RegistersFormAStackAndEventsFire)
{
    TzCalc calc;
    int oks = 0;
    QString errorText;
    int errorPos = -1;
    calc.OnOK = [&](QObject* s) {
        EXPECT_EQ(s, &calc);
        ++oks;
    };
    calc.OnError = [&](QObject*, const QString& t, std::uint8_t p) {
        errorText = t;
        errorPos = p;
    };
    calc.SetCalcLine("1+1");
    calc.SetCalcLine("10");
    EXPECT_EQ(double(calc.RegisterANum()), 10);
    EXPECT_EQ(double(calc.RegisterBNum()), 2);
    calc.SetCalcLine("A*B");
    EXPECT_EQ(double(calc.NumberNum()), 20);
    EXPECT_EQ(oks, 3);
    calc.SetCalcLine("j");
    EXPECT_EQ(double(calc.NumberNum()), 0);
    calc.SetRegisterFNum(2.5);
    calc.SetCalcLine("f*2");
    EXPECT_EQ(double(calc.NumberNum()), 5);
    EXPECT_EQ(double(calc.RegisterGNum()), 2.5); // F moved on to G by the push
    for (int i = 0; i < 9; ++i)
        calc.SetCalcLine(QString::number(i + 1));
    EXPECT_EQ(double(calc.RegisterJNum()), 1);
    EXPECT_EQ(double(calc.RegisterANum()), 9);

    calc.SetCalcLine("2+(3*");
    EXPECT_EQ(calc.CalcResult(), TzcNumberMissing);
    EXPECT_EQ(errorText, "2+(3*");
    EXPECT_EQ(errorPos, 6);
    EXPECT_EQ(calc.WhereIsLastError(), 6);

    EXPECT_EQ(double(calc.RegisterANum()), 2); // a failed line is pushed too
    calc.SetPush(false);
    calc.SetCalcLine("77");
    EXPECT_EQ(double(calc.RegisterANum()), 2);
    EXPECT_EQ(calc.CalcLine(), "77");
    calc.SetCalcLine(QString(300, u'1'));
    EXPECT_EQ(calc.CalcLine().size(), 254);
}

TEST(TzCalc, UserFunctions)
{
    TzCalc calc;
    calc.SetCalcLine("abc(2)");
    EXPECT_EQ(calc.CalcResult(), TzcFunctionMissing);
    QString asked;
    calc.OnFindUserFunc = [&](QObject*, const QString& name) {
        asked = name;
        return name == "TWICE" || name == "ABCDEFGHIJ";
    };
    calc.SetCalcLine("twice(4)+1");
    EXPECT_EQ(calc.CalcResult(), TzcOK);
    EXPECT_EQ(double(calc.NumberNum()), 5); // no handler: the argument itself
    calc.OnUserFunc = [](QObject*, const QString& name, Extended x) {
        if (name == "ABCDEFGHIJ")
            throw std::runtime_error("boom");
        return 2 * x;
    };
    calc.SetCalcLine("twice(4)+1");
    EXPECT_EQ(double(calc.NumberNum()), 9);
    calc.SetCalcLine("abcdefghijkl(1)"); // the name is cut to ten letters
    EXPECT_EQ(asked, "ABCDEFGHIJ");
    EXPECT_EQ(calc.CalcResult(), TzcOverFlow);
    calc.SetCalcLine("nope(1)");
    EXPECT_EQ(calc.CalcResult(), TzcFunctionMissing);
}

TEST(TzCalc, RandomFunction)
{
    for (int i = 0; i < 200; ++i) {
        const Outcome r = Calc("random(0)");
        EXPECT_GE(r.value, 0);
        EXPECT_LT(r.value, 1);
        const Outcome n = Calc("random(6)");
        EXPECT_EQ(n.value, std::floor(n.value));
        EXPECT_GE(n.value, 0);
        EXPECT_LE(n.value, 5);
    }
    EXPECT_EQ(Calc("random(-3)").value, 0);
}

TEST(TzCalc, TextForms)
{
    TzCalc calc;
    calc.SetCalcLine("2");
    EXPECT_EQ(calc.Number(), "2.00000000000000E+000");
    calc.SetFormat("%.3f");
    EXPECT_EQ(calc.Number(), "2.000");
    calc.SetFormat("x=%8.2f|");
    EXPECT_EQ(calc.Number(), "x=    2.00|");
    calc.SetFormat("%-6.1e|%%");
    EXPECT_EQ(calc.Number(), "2E+000|%");
    calc.SetFormat("%g");
    calc.SetCalcLine("1/4");
    EXPECT_EQ(calc.Number(), "0.25");
    calc.SetCalcLine("10^20");
    EXPECT_EQ(calc.Number(), "1E20");
    calc.SetFormat("%n");
    calc.SetCalcLine("1234567.891");
    EXPECT_EQ(calc.Number(), "1,234,567.89");
    EXPECT_EQ(calc.RegisterB(), "100,000,000,000,000,000,000.00");

    int errors = 0;
    TzCalcResult during = TzcOK;
    calc.OnError = [&](QObject*, const QString& text, std::uint8_t pos) {
        ++errors;
        during = calc.CalcResult();
        EXPECT_EQ(text, "%d");
        EXPECT_EQ(pos, 0);
    };
    calc.SetFormat("%d");
    EXPECT_EQ(calc.Number(), "");
    EXPECT_EQ(errors, 1);
    EXPECT_EQ(during, TzcFormatError);
    EXPECT_EQ(calc.CalcResult(), TzcOK);
    for (const char* bad : {"%e %e", "%", "%1:f", "%*f", "%s"}) {
        QString out = "x";
        EXPECT_FALSE(FormatReal(QString::fromLatin1(bad), 1, out)) << bad;
        EXPECT_TRUE(out.isEmpty());
    }
}

TEST(CalcMath, CorrectedEdgeCases)
{
    EXPECT_NEAR(double(ArcCos(-0.5)), 2 * std::numbers::pi / 3, 1e-15);
    EXPECT_NEAR(double(ArcCos(0)), std::numbers::pi / 2, 1e-15);
    EXPECT_NEAR(double(ArcSin(-0.5)), -std::numbers::pi / 6, 1e-15);
    EXPECT_EQ(double(Power(-2, 3)), -8);
    EXPECT_EQ(double(Power(-2, 2)), 4);
    EXPECT_EQ(double(Power(2, 0)), 1);
    EXPECT_EQ(double(Power(0, 0)), 1);
    EXPECT_EQ(double(Power(0, 3)), 0);
    EXPECT_TRUE(std::isinf(Power(0, -1)));
    EXPECT_TRUE(std::isnan(Power(-2, 0.5)));
    EXPECT_NEAR(double(Root(3, -8)), -2, 1e-15);
    EXPECT_NEAR(double(Root(2, 9)), 3, 1e-15);
    EXPECT_TRUE(std::isnan(Root(0, 9)));
    EXPECT_NEAR(double(Log10(1000)), 3, 1e-15);
    EXPECT_EQ(double(Factorial(5)), 120);
    EXPECT_EQ(double(Factorial(0)), 1);
    EXPECT_TRUE(std::isnan(Factorial(-3)));
    EXPECT_TRUE(std::isnan(Factorial(-1)));
    EXPECT_EQ(double(Factorial(1)), 1);
    EXPECT_TRUE(std::isinf(Factorial(5000)));
    const bool primes[] = {false, false, true, true, false, true, false, true, false, false};
    for (int n = 0; n < 10; ++n)
        EXPECT_EQ(IsPrime(n), primes[n]) << n;
    EXPECT_FALSE(IsPrime(-7));
    EXPECT_TRUE(IsPrime(2147483647));
    EXPECT_FALSE(IsPrime(std::int64_t(2147483647) * 3));
}

TEST(TzCalc, MutatedLinesNeverBreakTheEvaluator)
{
    const char* seeds[] = {"-3+5*(2-sqrt(16))/A", "arccos(0,5)^2+pi*e", "round(random(9))+twice(3)",
                           "((((1))))", "floor(-2.5)*ceiling(2.5)-frac(7.25)", "log(ln(exp(1)))"};
    const char alphabet[] = "0123456789+-*/^(),. abcdefijnprstuxAEPIZ_\r%\x01";
    std::mt19937 rng(12345);
    TzCalc calc;
    calc.OnFindUserFunc = [](QObject*, const QString& n) { return n.startsWith(u'T'); };
    calc.OnUserFunc = [](QObject*, const QString&, Extended x) { return x * 2; };
    calc.SetFormat("%g");
    for (int i = 0; i < 5000; ++i) {
        QString line = QString::fromLatin1(seeds[rng() % std::size(seeds)]);
        const int edits = 1 + int(rng() % 6);
        for (int k = 0; k < edits; ++k) {
            const int where = line.isEmpty() ? 0 : int(rng() % line.size());
            const QChar c = QLatin1Char(alphabet[rng() % (sizeof alphabet - 1)]);
            switch (rng() % 4) {
            case 0: line.insert(where, c); break;
            case 1: if (!line.isEmpty()) line.remove(where, 1); break;
            case 2: if (!line.isEmpty()) line[where] = c; break;
            default: line = line.repeated(1 + int(rng() % 40)); break;
            }
        }
        calc.SetCalcLine(line);
        const int pos = calc.WhereIsLastError();
        ASSERT_GE(pos, 1) << line.toStdString();
        ASSERT_LE(pos, calc.CalcLine().size() + 1) << line.toStdString();
        ASSERT_LE(int(calc.CalcResult()), int(TzcOverFlow));
        if (calc.CalcResult() == TzcOK) {
            ASSERT_TRUE(std::isfinite(calc.NumberNum())) << line.toStdString();
        }
        (void)calc.Number();
    }
}
