#include "ssrc/deterministic_math.h"

#include <cmath>
#include <limits>

// Only + - * / sqrt and the exact helpers floor, frexp and ldexp are used here:
// those give the same bits on every IEEE platform.
namespace ssrc {
namespace {

// pi/2 in three parts; the first two have 33 significant bits so that k * part
// is exact for the quadrant counts used here.
constexpr double halfPi1 = 1.57079632673412561417e+00;
constexpr double halfPi2 = 6.07710050630396597660e-11;
constexpr double halfPi3 = 2.02226624879595063154e-21;
constexpr double twoOverPi = 6.36619772367581382433e-01;

constexpr double ln2Hi = 6.93147180369123816490e-01; // trailing zeros: e * ln2Hi is exact
constexpr double ln2Lo = 1.90821492927058770002e-10;
constexpr double invLn2 = 1.44269504088896338700e+00;

// Taylor coefficients, highest first.
double sinePoly(double r) {
    const double r2 = r * r;
    double p = 1.0 / 51090942171709440000.0; // 1/21!
    p = -1.0 / 121645100408832000.0 + r2 * p;
    p = 1.0 / 355687428096000.0 + r2 * p;
    p = -1.0 / 1307674368000.0 + r2 * p;
    p = 1.0 / 6227020800.0 + r2 * p;
    p = -1.0 / 39916800.0 + r2 * p;
    p = 1.0 / 362880.0 + r2 * p;
    p = -1.0 / 5040.0 + r2 * p;
    p = 1.0 / 120.0 + r2 * p;
    p = -1.0 / 6.0 + r2 * p;
    return r + r * r2 * p;
}

double cosinePoly(double r) {
    // cos r = 1 - (r^2/2 - r^4 q), q = 1/4! - r^2/6! + ...
    const double r2 = r * r;
    double q = -1.0 / 1124000727777607680000.0; // -1/22!
    q = 1.0 / 2432902008176640000.0 + r2 * q;
    q = -1.0 / 6402373705728000.0 + r2 * q;
    q = 1.0 / 20922789888000.0 + r2 * q;
    q = -1.0 / 87178291200.0 + r2 * q;
    q = 1.0 / 479001600.0 + r2 * q;
    q = -1.0 / 3628800.0 + r2 * q;
    q = 1.0 / 40320.0 + r2 * q;
    q = -1.0 / 720.0 + r2 * q;
    q = 1.0 / 24.0 + r2 * q;
    const double half = 0.5 * r2;
    return 1.0 - (half - r2 * r2 * q);
}

// Quadrant and remainder of x modulo pi/2.
double reduceQuadrant(double x, long long& quadrant) {
    const double k = std::floor(x * twoOverPi + 0.5);
    quadrant = static_cast<long long>(k);
    return ((x - k * halfPi1) - k * halfPi2) - k * halfPi3;
}

double sineOrCosine(double x, int shift) {
    if (!std::isfinite(x)) return std::numeric_limits<double>::quiet_NaN();
    long long quadrant = 0;
    const double r = reduceQuadrant(x, quadrant);
    switch ((quadrant + shift) & 3) {
    case 0:
        return sinePoly(r);
    case 1:
        return cosinePoly(r);
    case 2:
        return -sinePoly(r);
    default:
        return -cosinePoly(r);
    }
}

// Dekker's exact product: a * b == hi + lo (no fused multiply-add needed).
void exactProduct(double a, double b, double& hi, double& lo) {
    constexpr double splitter = 134217729.0; // 2^27 + 1
    const double ta = splitter * a;
    const double aHi = ta - (ta - a);
    const double aLo = a - aHi;
    const double tb = splitter * b;
    const double bHi = tb - (tb - b);
    const double bLo = b - bHi;
    hi = a * b;
    lo = ((aHi * bHi - hi) + aHi * bLo + aLo * bHi) + aLo * bLo;
}

void exactSum(double a, double b, double& sum, double& error) {
    sum = a + b;
    const double bPart = sum - a;
    error = (a - (sum - bPart)) + (b - bPart);
}

// log(x) for finite x > 0 as hi + lo, to about twice double precision.
void extendedLogarithm(double x, double& hi, double& lo) {
    int e = 0;
    double m = std::frexp(x, &e);
    if (m < 0.70710678118654752440) {
        m *= 2.0;
        --e;
    }
    const double f = m - 1.0; // exact
    const double s = f / (2.0 + f);
    const double s2 = s * s;
    double r = 2.0 / 23.0;
    for (int n = 21; n >= 3; n -= 2)
        r = 2.0 / n + s2 * r;
    r *= s2;
    double squareHi = 0.0;
    double squareLo = 0.0;
    exactProduct(f, f, squareHi, squareLo);
    const double hfsqHi = 0.5 * squareHi;
    const double hfsqLo = 0.5 * squareLo;
    const double tail = s * (hfsqHi + r);
    double a = 0.0;
    double aError = 0.0;
    exactSum(f, -hfsqHi, a, aError);
    aError += tail - hfsqLo;
    const double de = static_cast<double>(e);
    double b = 0.0;
    double bError = 0.0;
    exactSum(de * ln2Hi, a, b, bError);
    bError += aError + de * ln2Lo;
    hi = b + bError;
    lo = bError - (hi - b);
}

} // namespace

double sine(double x) {
    return sineOrCosine(x, 0);
}

double cosine(double x) {
    return sineOrCosine(x, 1);
}

double exponential(double x) {
    if (std::isnan(x)) return x;
    if (x > 709.782712893384) return std::numeric_limits<double>::infinity();
    if (x < -745.2) return 0.0;
    const double k = std::floor(x * invLn2 + 0.5);
    const double r = (x - k * ln2Hi) - k * ln2Lo;
    // e^r - 1 first, so the final addition of 1 rounds once.
    double p = 1.0 / 355687428096000.0; // 1/17!
    p = 1.0 / 20922789888000.0 + r * p;
    p = 1.0 / 1307674368000.0 + r * p;
    p = 1.0 / 87178291200.0 + r * p;
    p = 1.0 / 6227020800.0 + r * p;
    p = 1.0 / 479001600.0 + r * p;
    p = 1.0 / 39916800.0 + r * p;
    p = 1.0 / 3628800.0 + r * p;
    p = 1.0 / 362880.0 + r * p;
    p = 1.0 / 40320.0 + r * p;
    p = 1.0 / 5040.0 + r * p;
    p = 1.0 / 720.0 + r * p;
    p = 1.0 / 120.0 + r * p;
    p = 1.0 / 24.0 + r * p;
    p = 1.0 / 6.0 + r * p;
    p = 0.5 + r * p;
    const double expm1 = r + r * r * p;
    return std::ldexp(1.0 + expm1, static_cast<int>(k));
}

double logarithm(double x) {
    if (std::isnan(x) || x < 0.0) return std::numeric_limits<double>::quiet_NaN();
    if (x == 0.0) return -std::numeric_limits<double>::infinity();
    if (std::isinf(x)) return x;
    int e = 0;
    double m = std::frexp(x, &e); // x = m * 2^e, m in [0.5, 1)
    if (m < 0.70710678118654752440) {
        m *= 2.0;
        --e;
    }
    // log(1 + f) = f - (hfsq - s * (hfsq + R)), s = f / (2 + f), R = sum 2 s^2n / (2n + 1).
    const double f = m - 1.0;
    const double s = f / (2.0 + f);
    const double s2 = s * s;
    double r = 2.0 / 23.0;
    for (int n = 21; n >= 3; n -= 2)
        r = 2.0 / n + s2 * r;
    r *= s2;
    const double hfsq = 0.5 * f * f;
    const double de = static_cast<double>(e);
    return de * ln2Hi - ((hfsq - (s * (hfsq + r) + de * ln2Lo)) - f);
}

double power(double base, double exponent) {
    if (std::isnan(base) || std::isnan(exponent)) return std::numeric_limits<double>::quiet_NaN();
    if (exponent == 0.0) return 1.0;
    if (base < 0.0) {
        if (std::floor(exponent) != exponent) return std::numeric_limits<double>::quiet_NaN();
        const double magnitude = power(-base, exponent);
        const bool odd = std::floor(exponent * 0.5) * 2.0 != exponent;
        return odd ? -magnitude : magnitude;
    }
    if (base == 0.0) return exponent > 0.0 ? 0.0 : std::numeric_limits<double>::infinity();
    if (base == 1.0) return 1.0;
    if (std::isinf(base)) return exponent > 0.0 ? base : 0.0;
    double logHi = 0.0;
    double logLo = 0.0;
    extendedLogarithm(base, logHi, logLo);
    double productHi = 0.0;
    double productLo = 0.0;
    exactProduct(exponent, logHi, productHi, productLo);
    productLo += exponent * logLo;
    if (!std::isfinite(productHi)) return exponential(productHi);
    const double result = exponential(productHi);
    return result + result * productLo;
}

double besselI0(double x) {
    // Power series sum ((x/2)^k / k!)^2; converges for every x used by window design.
    const double q = 0.25 * x * x;
    double term = 1.0;
    double sum = 1.0;
    for (int k = 1; k < 500; ++k) {
        term *= q / (static_cast<double>(k) * k);
        sum += term;
        if (term < sum * 1e-17) break;
    }
    return sum;
}

} // namespace ssrc
