#pragma once
// A complex number of two doubles, used by the matching-network model and the Smith chart.

class Complex {
public:
    constexpr Complex() = default;
    constexpr Complex(double re, double im) : re_(re), im_(im) {}
    constexpr Complex(double re) : re_(re) {} // NOLINT: a real is a complex

    constexpr double real() const { return re_; }
    constexpr double imag() const { return im_; }
    double Magnitude() const;
    // True when both parts are 0.
    constexpr bool IsZero() const { return re_ == 0.0 && im_ == 0.0; }
    // True when both parts are finite.
    bool IsFinite() const;

    constexpr Complex operator-() const { return {-re_, -im_}; }
    constexpr Complex& operator+=(const Complex& o)
    {
        re_ += o.re_;
        im_ += o.im_;
        return *this;
    }
    constexpr Complex& operator-=(const Complex& o)
    {
        re_ -= o.re_;
        im_ -= o.im_;
        return *this;
    }

    friend constexpr Complex operator+(Complex a, const Complex& b) { return a += b; }
    friend constexpr Complex operator-(Complex a, const Complex& b) { return a -= b; }
    friend constexpr Complex operator*(const Complex& a, const Complex& b)
    {
        return {a.re_ * b.re_ - a.im_ * b.im_, a.re_ * b.im_ + a.im_ * b.re_};
    }
    // Division by zero gives non-finite parts; callers test IsZero() first.
    friend Complex operator/(const Complex& a, const Complex& b);
    // Comparison with a real: the real parts are equal and the imaginary part is 0.
    friend constexpr bool operator==(const Complex& a, double b) { return a.re_ == b && a.im_ == 0.0; }

private:
    double re_ = 0.0;
    double im_ = 0.0;
};
