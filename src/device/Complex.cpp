#include "device/Complex.h"

#include <cmath>

double Complex::Magnitude() const { return std::hypot(re_, im_); }

bool Complex::IsFinite() const { return std::isfinite(re_) && std::isfinite(im_); }

Complex operator/(const Complex& a, const Complex& b)
{
    const double d = b.re_ * b.re_ + b.im_ * b.im_;
    return {(a.re_ * b.re_ + a.im_ * b.im_) / d, (a.im_ * b.re_ - a.re_ * b.im_) / d};
}
