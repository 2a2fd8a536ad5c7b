#include "zcomponents/Zcalc.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <limits>
#include <numbers>
#include <random>
#include <stdexcept>

namespace {

constexpr QChar End = u'\r';
constexpr int MaxName = 10;
constexpr int UserFunction = 28;
constexpr int DefaultExpPrecision = 15;
constexpr int DefaultFixedPrecision = 2;
constexpr int MaxPrecision = 18;
constexpr int MinExponentDigits = 3;
// %g shows values of 0.00001 and above in fixed notation.
constexpr int GeneralFixedExponent = -5;
// Significant digits of the decimal text of a value beyond the range of a double.
constexpr int MaxDecimalDigits = 17;
const char* const kDefaultFormat = "%e";

// Names in code order: the registers (0-8), PI, E, then the functions (11-27).
const std::array<const char*, 28> kNames = {
    "A",      "B",    "C",    "D",      "F",     "G",     "H",       "I",     "J",    "PI",
    "E",      "EXP",  "SIN",  "COS",    "ARCTAN", "ABS",  "FRAC",    "ARCSIN", "ARCCOS", "LN",
    "LOG",    "SQR",  "SQRT", "ROUND",  "TRUNC", "CEILING", "FLOOR", "RANDOM"};
enum Code {
    cPI = 9, cE, cEXP, cSIN, cCOS, cARCTAN, cABS, cFRAC, cARCSIN, cARCCOS, cLN, cLOG, cSQR, cSQRT,
    cROUND, cTRUNC, cCEILING, cFLOOR, cRANDOM
};

// Raised inside an evaluation when a value leaves the real numbers.
struct Overflow : std::runtime_error {
    Overflow() : std::runtime_error("overflow") {}
};

Extended Checked(Extended v)
{
    if (!std::isfinite(v))
        throw Overflow();
    return v;
}

bool IsOddInteger(Extended v)
{
    return std::truncl(v) == v && std::fmod(std::fabs(v), 2.0L) == 1.0L;
}

std::mt19937_64& Engine()
{
    static std::mt19937_64 engine{std::random_device{}()};
    return engine;
}

Extended RandomValue(Extended x)
{
    if (x == 0)
        return std::uniform_real_distribution<double>(0.0, 1.0)(Engine());
    const Extended n = std::nearbyintl(x);
    if (n < 1)
        return 0;
    const auto top = std::uint64_t(std::min<Extended>(n, Extended(std::numeric_limits<std::int64_t>::max())));
    return Extended(std::uniform_int_distribution<std::uint64_t>(0, top - 1)(Engine()));
}

// One placeholder of a format string.
struct FormatField {
    bool left = false;
    int width = 0;
    int precision = -1;
    char type = 0;
};

// A finite value as the decimal text a reader sees: its significant digits (the first one not
// 0, or a lone "0" for zero) and the power of ten of the first digit.
struct Decimal {
    bool negative = false;
    QByteArray digits = "0";
    int exponent = 0;

    bool IsZero() const { return digits == "0"; }
    // The digit at the power of ten p (0 beyond the significant digits).
    char At(int p) const
    {
        const int i = exponent - p;
        return i >= 0 && i < digits.size() ? digits[i] : '0';
    }
};

// The value's decimal text as a reader sees it, the digits rounding works on: the shortest text
// that reads back as the same double (up to 17 significant digits), so 2.25 + 0.1, a little below
// 2.35 in binary, reads 2.35 and 1234567890123456 keeps all its digits. A value beyond the range
// of a double is taken with 17 significant digits.
Decimal ToDecimal(Extended v)
{
    char buf[64];
    const double shortest = double(v);
    if (std::isfinite(shortest) && (shortest != 0 || v == 0)) {
        const auto r = std::to_chars(buf, buf + sizeof buf - 1, shortest, std::chars_format::scientific);
        *r.ptr = '\0';
    } else {
        std::snprintf(buf, sizeof buf, "%.*LE", MaxDecimalDigits - 1, v);
    }
    Decimal d;
    const char* p = buf;
    d.negative = *p == '-';
    if (*p == '-' || *p == '+')
        ++p;
    d.digits.clear();
    for (; *p && *p != 'E' && *p != 'e'; ++p)
        if (*p >= '0' && *p <= '9')
            d.digits += *p;
    d.exponent = *p ? std::atoi(p + 1) : 0;
    while (d.digits.size() > 1 && d.digits.endsWith('0'))
        d.digits.chop(1);
    if (d.digits == "0")
        d = Decimal();
    return d;
}

// Keeps the first keep significant digits, rounding half away from zero.
void RoundTo(Decimal& d, int keep)
{
    if (d.IsZero() || keep >= d.digits.size())
        return;
    if (keep < 0) {
        d = Decimal();
        return;
    }
    const bool up = d.digits[keep] >= '5';
    d.digits.truncate(keep);
    if (up) {
        int i = keep - 1;
        for (; i >= 0 && d.digits[i] == '9'; --i)
            d.digits[i] = '0';
        if (i >= 0) {
            ++d.digits[i];
        } else {
            d.digits.prepend('1');
            ++d.exponent;
        }
    }
    while (!d.digits.isEmpty() && d.digits.endsWith('0'))
        d.digits.chop(1);
    if (d.digits.isEmpty())
        d = Decimal();
}

// Digits of the powers of ten from `from` down to `to`.
QString DigitRun(const Decimal& d, int from, int to)
{
    QString s;
    for (int p = from; p >= to; --p)
        s += QLatin1Char(d.At(p));
    return s;
}

// A sign only in front of a value that is not zero after rounding.
QString Signed(const Decimal& d, const QString& text)
{
    return d.negative && !d.IsZero() ? u'-' + text : text;
}

QString Exponential(Extended v, int precision)
{
    const int digits = std::max(precision, 1);
    Decimal d = ToDecimal(v);
    RoundTo(d, digits);
    QString s(QLatin1Char(d.At(d.exponent)));
    if (digits > 1)
        s += u'.' + DigitRun(d, d.exponent - 1, d.exponent - digits + 1);
    QString e = QString::number(std::abs(d.exponent));
    while (e.size() < MinExponentDigits)
        e.prepend(u'0');
    s += d.exponent < 0 ? QStringLiteral("E-") : QStringLiteral("E+");
    return Signed(d, s + e);
}

QString Fixed(Extended v, int precision)
{
    Decimal d = ToDecimal(v);
    RoundTo(d, d.exponent + 1 + precision);
    QString s = DigitRun(d, std::max(d.exponent, 0), 0);
    if (precision > 0)
        s += u'.' + DigitRun(d, -1, -precision);
    return Signed(d, s);
}

QString General(Extended v, int precision)
{
    Decimal d = ToDecimal(v);
    RoundTo(d, precision);
    if (d.IsZero())
        return QStringLiteral("0");
    const int last = d.exponent - int(d.digits.size()) + 1; // power of the last digit
    if (d.exponent < precision && d.exponent >= GeneralFixedExponent) {
        QString s = DigitRun(d, std::max(d.exponent, 0), 0);
        if (last < 0)
            s += u'.' + DigitRun(d, -1, last);
        return Signed(d, s);
    }
    QString s(QLatin1Char(d.digits[0]));
    if (d.digits.size() > 1)
        s += u'.' + QString::fromLatin1(d.digits.mid(1));
    return Signed(d, s + u'E' + QString::number(d.exponent));
}

QString Grouped(Extended v, int precision)
{
    QString s = Fixed(v, precision);
    const bool negative = s.startsWith(u'-');
    int end = int(s.indexOf(u'.'));
    if (end < 0)
        end = int(s.size());
    for (int i = end - 3; i > (negative ? 1 : 0); i -= 3)
        s.insert(i, u',');
    return s;
}

QString Placeholder(const FormatField& field, Extended v)
{
    QString text;
    if (std::isnan(v))
        text = QStringLiteral("NAN");
    else if (std::isinf(v))
        text = v < 0 ? QStringLiteral("-INF") : QStringLiteral("INF");
    else {
        switch (field.type) {
        case 'E':
            text = Exponential(v, field.precision < 0 ? DefaultExpPrecision : field.precision);
            break;
        case 'F':
            text = Fixed(v, field.precision < 0 ? DefaultFixedPrecision : field.precision);
            break;
        case 'G':
            text = General(v, field.precision <= 0 ? DefaultExpPrecision : field.precision);
            break;
        default:
            text = Grouped(v, field.precision < 0 ? DefaultFixedPrecision : field.precision);
            break;
        }
    }
    const int pad = std::max(0, field.width - int(text.size()));
    return field.left ? text + QString(pad, u' ') : QString(pad, u' ') + text;
}

} // namespace

Extended ArcSin(Extended x)
{
    return std::asin(x);
}

Extended ArcCos(Extended x)
{
    return std::acos(x);
}

Extended Log10(Extended x)
{
    return std::log10(x);
}

Extended Power(Extended base, Extended exponent)
{
    if (exponent == 0)
        return 1;
    if (base == 0)
        return exponent > 0 ? 0 : std::numeric_limits<Extended>::infinity();
    if (base < 0 && std::truncl(exponent) != exponent)
        return std::numeric_limits<Extended>::quiet_NaN();
    const Extended magnitude = std::pow(std::fabs(base), exponent);
    return base < 0 && IsOddInteger(exponent) ? -magnitude : magnitude;
}

Extended Root(Extended n, Extended x)
{
    if (n == 0)
        return std::numeric_limits<Extended>::quiet_NaN();
    if (x < 0 && IsOddInteger(n))
        return -Power(-x, 1 / n);
    return Power(x, 1 / n);
}

Extended Factorial(std::int64_t n)
{
    if (n < 0)
        return std::numeric_limits<Extended>::quiet_NaN();
    Extended f = 1;
    for (std::int64_t i = 2; i <= n && std::isfinite(f); ++i)
        f *= Extended(i);
    return f;
}

bool IsPrime(std::int64_t n)
{
    if (n < 2)
        return false;
    for (std::int64_t d = 2; d <= n / d; ++d)
        if (n % d == 0)
            return false;
    return true;
}

bool FormatReal(const QString& format, Extended value, QString& out)
{
    out.clear();
    QString text;
    bool used = false;
    for (int i = 0; i < format.size(); ++i) {
        const QChar c = format[i];
        if (c != u'%') {
            text += c;
            continue;
        }
        if (++i >= format.size())
            return false;
        if (format[i] == u'%') {
            text += u'%';
            continue;
        }
        FormatField field;
        // An optional argument index: only 0, the one real, fits.
        int j = i;
        while (j < format.size() && format[j].isDigit())
            ++j;
        if (j < format.size() && format[j] == u':') {
            if (format.mid(i, j - i).toInt() != 0)
                return false;
            i = j + 1;
        }
        if (i < format.size() && format[i] == u'-') {
            field.left = true;
            ++i;
        }
        for (; i < format.size() && format[i].isDigit(); ++i)
            field.width = std::min(field.width * 10 + format[i].digitValue(), 1000);
        if (i < format.size() && format[i] == u'.') {
            field.precision = 0;
            for (++i; i < format.size() && format[i].isDigit(); ++i)
                field.precision = std::min(field.precision * 10 + format[i].digitValue(), MaxPrecision);
        }
        if (i >= format.size() || used)
            return false;
        field.type = char(format[i].toUpper().toLatin1());
        if (field.type != 'E' && field.type != 'F' && field.type != 'G' && field.type != 'N')
            return false;
        used = true;
        text += Placeholder(field, value);
    }
    out = text;
    return true;
}

TzCalc::TzCalc(QObject* owner) : QObject(owner), line_(QStringLiteral("0\r")) {}

QString TzCalc::CalcLine() const
{
    return line_.left(line_.size() - 1);
}

QChar TzCalc::At(int pos) const
{
    return pos >= 1 && pos <= line_.size() ? line_[pos - 1] : End;
}

QChar TzCalc::Peek()
{
    while (At(pos_) == u' ')
        ++pos_;
    return At(pos_);
}

void TzCalc::Take()
{
    if (pos_ < line_.size())
        ++pos_;
}

void TzCalc::SetCalcLine(const QString& text)
{
    line_ = (text.isEmpty() ? QStringLiteral("0") : text.left(MaxLine)) + End;
    result_ = TzcOK;
    pos_ = 1;
    Extended value = 0;
    try {
        value = Expression();
    } catch (...) {
        result_ = TzcOverFlow;
        value = 0;
    }
    if (value == 0)
        value = 0; // no negative zero: round(0-0.5) is 0
    if (push_) {
        std::move_backward(registers_.begin(), registers_.end() - 1, registers_.end());
        registers_[0] = value;
    }
    number_ = value;
    if (Failed()) {
        if (OnError)
            OnError(this, CalcLine(), std::uint8_t(pos_));
    } else if (OnOK) {
        OnOK(this);
    }
}

Extended TzCalc::Expression()
{
    Extended value = Peek() == u'-' ? 0 : Term();
    while (!Failed()) {
        const QChar op = Peek();
        if (op != u'+' && op != u'-')
            break;
        Take();
        const Extended t = Term();
        if (Failed())
            break;
        value = Checked(op == u'+' ? value + t : value - t);
    }
    return value;
}

Extended TzCalc::Term()
{
    Extended value = Factor();
    while (!Failed()) {
        const QChar op = Peek();
        if (op != u'*' && op != u'/' && op != u'^')
            break;
        Take();
        const Extended f = Factor();
        if (Failed())
            break;
        if (op == u'*') {
            value = Checked(value * f);
        } else if (op == u'/') {
            if (f == 0)
                result_ = TzcDivZero;
            else
                value = Checked(value / f);
        } else {
            const Extended p = Power(value, f);
            // 0 to a negative power and a negative base to a broken power have no real value.
            if (std::isinf(p) && value == 0)
                result_ = TzcDivZero;
            else if (std::isnan(p))
                result_ = TzcDivZero;
            else
                value = Checked(p);
        }
    }
    return value;
}

Extended TzCalc::Factor()
{
    const QChar c = Peek().toUpper();
    if (c == u'(')
        return Bracket();
    if (c < u'A' || c > u'Z')
        return ReadNumber();
    return Name();
}

Extended TzCalc::Bracket()
{
    if (Peek() != u'(')
        result_ = TzcLeftPar;
    Take();
    if (Failed())
        return 0;
    const Extended value = Expression();
    if (Failed())
        return value;
    if (Peek() != u')')
        result_ = TzcRightPar;
    else
        Take();
    return value;
}

Extended TzCalc::ReadNumber()
{
    Extended value = 0;
    bool digits = false;
    while (At(pos_).isDigit() && At(pos_).unicode() < 128) {
        value = value * 10 + At(pos_).digitValue();
        digits = true;
        ++pos_;
    }
    if (At(pos_) == u',' || At(pos_) == u'.') {
        ++pos_;
        Extended scale = 0.1L;
        while (At(pos_).isDigit() && At(pos_).unicode() < 128) {
            value += At(pos_).digitValue() * scale;
            scale /= 10;
            digits = true;
            ++pos_;
        }
    }
    if (!digits)
        result_ = TzcNumberMissing;
    return value;
}

Extended TzCalc::Name()
{
    QString name;
    for (QChar c = At(pos_); (c.unicode() < 128 && c.isLetter()) || c == u'_'; c = At(pos_)) {
        if (name.size() < MaxName)
            name += c.toUpper();
        ++pos_;
    }
    int code = -1;
    for (std::size_t i = 0; i < kNames.size(); ++i)
        if (name == QLatin1String(kNames[i]))
            code = int(i);
    if (code < 0) {
        result_ = TzcFunctionMissing;
        if (OnFindUserFunc && OnFindUserFunc(this, name)) {
            result_ = TzcOK;
            code = UserFunction;
        } else {
            return 0;
        }
    }
    if (code < RegisterCount)
        return registers_[std::size_t(code)];
    if (code == cPI)
        return std::numbers::pi_v<Extended>;
    if (code == cE)
        return std::numbers::e_v<Extended>;
    const Extended x = Bracket();
    if (Failed())
        return x;
    return Checked(Function(code, name, x));
}

Extended TzCalc::Function(int code, const QString& name, Extended x)
{
    switch (code) {
    case cEXP: return std::exp(x);
    case cSIN: return std::sin(x);
    case cCOS: return std::cos(x);
    case cARCTAN: return std::atan(x);
    case cABS: return std::fabs(x);
    case cFRAC: return x - std::truncl(x);
    case cARCSIN:
    case cARCCOS:
        if (!(x >= -1 && x <= 1)) {
            result_ = TzcDivZero;
            return 0;
        }
        return code == cARCSIN ? ArcSin(x) : ArcCos(x);
    case cLN:
    case cLOG:
        if (!(x > 0)) {
            result_ = TzcDivZero;
            return 0;
        }
        return code == cLN ? std::log(x) : Log10(x);
    case cSQR: return x * x;
    case cSQRT:
        if (x < 0) {
            result_ = TzcDivZero;
            return 0;
        }
        return std::sqrt(x);
    case cROUND: return std::nearbyintl(x);
    case cTRUNC: return std::truncl(x);
    case cCEILING: return std::truncl(x) + (x - std::truncl(x) > 0 ? 1 : 0);
    case cFLOOR: return x - std::truncl(x) < 0 ? std::truncl(x - 1) : std::truncl(x);
    case cRANDOM: return RandomValue(x);
    default: return OnUserFunc ? OnUserFunc(this, name, x) : x;
    }
}

QString TzCalc::Formatted(Extended v) const
{
    QString out;
    if (FormatReal(format_.isEmpty() ? QString::fromLatin1(kDefaultFormat) : format_, v, out))
        return out;
    if (OnError) {
        auto* self = const_cast<TzCalc*>(this);
        const TzCalcResult saved = result_;
        self->result_ = TzcFormatError;
        OnError(self, format_, 0);
        self->result_ = saved;
    }
    return {};
}

QString TzCalc::Number() const
{
    return Formatted(number_);
}

QString TzCalc::GetReg(int n) const
{
    return Formatted(RegisterNum(n));
}

Extended TzCalc::RegisterNum(int n) const
{
    return n >= 1 && n <= RegisterCount ? registers_[std::size_t(n - 1)] : 0;
}

void TzCalc::SetRegisterNum(int n, Extended v)
{
    if (n >= 1 && n <= RegisterCount)
        registers_[std::size_t(n - 1)] = v;
}
