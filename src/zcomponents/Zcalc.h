#pragma once
// TzCalc: evaluates an arithmetic expression given as text (+ - * / ^, brackets, decimal
// numbers with '.' or ',', nine registers A..J without E that form a result stack, the
// constants PI and E, seventeen functions and user functions through events) and gives the
// result as a number and as formatted text. Also the small math routines it uses.

#include "zcomponents/Std2.h"

#include <QObject>
#include <QString>
#include <array>
#include <cstdint>
#include <functional>

using Extended = long double;

enum TzCalcResult : std::uint8_t {
    TzcOK, TzcNumberMissing, TzcFunctionMissing, TzcLeftPar, TzcRightPar, TzcDivZero,
    TzcOverFlow, TzcFormatError
};

using TzCalcErrorEvent =
    std::function<void(QObject* Sender, const QString& Text, std::uint8_t Position)>;
using TzFindUserFuncEvent = std::function<bool(QObject* Sender, const QString& Name)>;
using TzUserFuncEvent =
    std::function<Extended(QObject* Sender, const QString& Name, Extended Argument)>;

// Math routines. Angles in radians.
Extended ArcSin(Extended x);
// The angle in 0..pi whose cosine is x (NaN outside -1..1).
Extended ArcCos(Extended x);
Extended Log10(Extended x);
// base to the power exponent: 1 when the exponent is 0 (0^0 included), 0 when only the base is
// 0 with a positive exponent; a negative base keeps its sign for odd integer exponents;
// infinity for 0 to a negative power; NaN for a negative base with a non-integer exponent.
Extended Power(Extended base, Extended exponent);
// The n-th root of x (an odd root of a negative x is negative); NaN for n = 0.
Extended Root(Extended n, Extended x);
// 1 x 2 x ... x n; 1 for 0 and 1; NaN for a negative n, which has no factorial.
Extended Factorial(std::int64_t n);
// True for the primes 2, 3, 5, ...; false for 0, 1 and negative numbers.
bool IsPrime(std::int64_t n);

// Formats one real with a format string of literal text and one placeholder
// %[-][width][.precision]e|f|g|n ("%%" is a percent sign). The value is rounded as its
// shortest decimal text that reads back as the same double reads (up to 17 significant digits;
// 17 digits of the value itself beyond the range of a double), halves away from zero (2.35 with
// one decimal is 2.4), and a value that rounds to zero has no sign. Answers false, leaving out
// empty, when the format does not fit one real argument.
bool FormatReal(const QString& format, Extended value, QString& out);

class TzCalc : public QObject {
public:
    static constexpr int RegisterCount = 9;
    static constexpr int MaxLine = 254;

    explicit TzCalc(QObject* owner = nullptr);

    // Evaluates the text at once (the first 254 characters; empty text counts as "0").
    void SetCalcLine(const QString& text);
    QString CalcLine() const;

    TzCalcResult CalcResult() const { return result_; }
    // 1-based index of the character where the last evaluation stopped.
    std::uint8_t WhereIsLastError() const { return std::uint8_t(pos_); }

    bool PushResult() const { return push_; }
    void SetPush(bool b) { push_ = b; }
    QString FormatLine() const { return format_; }
    void SetFormat(const QString& f) { format_ = f; }

    Extended NumberNum() const { return number_; }
    // The result and the registers as text by FormatLine ("%e" when empty); empty when the
    // format does not fit (OnError reports it with TzcFormatError and position 0).
    QString Number() const;
    // Registers by number 1..9 (A, B, C, D, F, G, H, I, J).
    QString GetReg(int n) const;
    Extended RegisterNum(int n) const;
    void SetRegisterNum(int n, Extended v);

    QString RegisterA() const { return GetReg(1); }
    QString RegisterB() const { return GetReg(2); }
    QString RegisterC() const { return GetReg(3); }
    QString RegisterD() const { return GetReg(4); }
    QString RegisterF() const { return GetReg(5); }
    QString RegisterG() const { return GetReg(6); }
    QString RegisterH() const { return GetReg(7); }
    QString RegisterI() const { return GetReg(8); }
    QString RegisterJ() const { return GetReg(9); }
    Extended RegisterANum() const { return RegisterNum(1); }
    void SetRegisterANum(Extended v) { SetRegisterNum(1, v); }
    Extended RegisterBNum() const { return RegisterNum(2); }
    void SetRegisterBNum(Extended v) { SetRegisterNum(2, v); }
    Extended RegisterCNum() const { return RegisterNum(3); }
    void SetRegisterCNum(Extended v) { SetRegisterNum(3, v); }
    Extended RegisterDNum() const { return RegisterNum(4); }
    void SetRegisterDNum(Extended v) { SetRegisterNum(4, v); }
    Extended RegisterFNum() const { return RegisterNum(5); }
    void SetRegisterFNum(Extended v) { SetRegisterNum(5, v); }
    Extended RegisterGNum() const { return RegisterNum(6); }
    void SetRegisterGNum(Extended v) { SetRegisterNum(6, v); }
    Extended RegisterHNum() const { return RegisterNum(7); }
    void SetRegisterHNum(Extended v) { SetRegisterNum(7, v); }
    Extended RegisterINum() const { return RegisterNum(8); }
    void SetRegisterINum(Extended v) { SetRegisterNum(8, v); }
    Extended RegisterJNum() const { return RegisterNum(9); }
    void SetRegisterJNum(Extended v) { SetRegisterNum(9, v); }

    TzCalcErrorEvent OnError;
    TNotifyEvent OnOK;
    TzFindUserFuncEvent OnFindUserFunc;
    TzUserFuncEvent OnUserFunc;

private:
    QChar At(int pos) const;
    QChar Peek();
    void Take();
    Extended Expression();
    Extended Term();
    Extended Factor();
    Extended Bracket();
    Extended ReadNumber();
    Extended Name();
    Extended Function(int code, const QString& name, Extended x);
    QString Formatted(Extended v) const;
    bool Failed() const { return result_ != TzcOK; }

    TzCalcResult result_ = TzcOK;
    bool push_ = true;
    QString line_;
    int pos_ = 1;
    Extended number_ = 0;
    QString format_;
    std::array<Extended, RegisterCount> registers_{};
};
