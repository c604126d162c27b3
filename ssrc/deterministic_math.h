// Elementary functions built only from + - * / and sqrt, so that every
// platform (glibc, mingw, any compiler with IEEE doubles and no contraction)
// computes the same bits. Whatever decides output bytes of the library (filter
// design, FFT twiddles, noise shaping) uses these instead of <cmath>.
// Accuracy: within about 1 ulp of the correctly rounded result over the
// ranges the library uses.
#ifndef SSRC_DETERMINISTIC_MATH_H
#define SSRC_DETERMINISTIC_MATH_H

namespace ssrc {

inline constexpr double pi = 3.141592653589793238462643383279502884;

// sin and cos of x in radians; argument reduction stays exact for |x| < 1e9.
double sine(double x);
double cosine(double x);
// e^x; 0 below -745, +inf above 709.78.
double exponential(double x);
// Natural logarithm; NaN for x < 0 or NaN, -inf for 0, +inf for +inf.
double logarithm(double x);
// base^exponent for base > 0 (exp(exponent * log(base)) with an extended
// precision logarithm); base == 0 gives 0 (1 for exponent 0); negative bases
// give NaN unless the exponent is an integer.
double power(double base, double exponent);
// Modified Bessel function of the first kind, order 0 (for Kaiser windows).
double besselI0(double x);

} // namespace ssrc

#endif
