#include "spectrum.h"

#include <fftw3.h>

#include <algorithm>
#include <cmath>
#include <numbers>
#include <stdexcept>

namespace bench {

namespace {

// One r2c transform of `input` (length n, destroyed) into n/2+1 bins.
void realDft(std::vector<double>& input, std::vector<std::complex<double>>& output) {
    const int n = static_cast<int>(input.size());
    output.assign(input.size() / 2 + 1, {});
    fftw_plan plan = fftw_plan_dft_r2c_1d(
        n, input.data(), reinterpret_cast<fftw_complex*>(output.data()), FFTW_ESTIMATE);
    if (plan == nullptr) throw std::runtime_error("fftw: no plan");
    fftw_execute(plan);
    fftw_destroy_plan(plan);
}

} // namespace

std::vector<double> blackmanHarris7(std::size_t n) {
    static constexpr double a[] = {0.27105140069342, 0.43329793923448, 0.21812299954311,
                                   0.06592544638803, 0.01081174209837, 0.00077658482522,
                                   0.00001388721735};
    std::vector<double> w(n);
    for (std::size_t i = 0; i < n; ++i) {
        double sum = 0;
        double sign = 1;
        for (std::size_t k = 0; k < 7; ++k) {
            // The argument is reduced to one period first so that it stays exact.
            const std::size_t phase = (k * i) % n;
            sum += sign * a[k] *
                   std::cos(2 * std::numbers::pi * static_cast<double>(phase) /
                            static_cast<double>(n));
            sign = -sign;
        }
        w[i] = sum;
    }
    return w;
}

std::vector<double> powerSpectrum(const std::vector<double>& x) {
    std::vector<double> work = x;
    std::vector<std::complex<double>> bins;
    realDft(work, bins);
    std::vector<double> power(bins.size());
    for (std::size_t k = 0; k < bins.size(); ++k)
        power[k] = std::norm(bins[k]);
    return power;
}

std::vector<std::complex<double>> paddedDft(const std::vector<double>& x, std::size_t fftSize) {
    if (fftSize < x.size())
        throw std::invalid_argument("paddedDft: signal longer than the transform");
    std::vector<double> work(fftSize, 0.0);
    std::copy(x.begin(), x.end(), work.begin());
    std::vector<std::complex<double>> bins;
    realDft(work, bins);
    return bins;
}

std::vector<double> welchPowerSpectrum(const std::vector<double>& x, std::size_t segmentSize) {
    std::vector<double> window(segmentSize), power(segmentSize / 2 + 1, 0.0);
    double windowPower = 0.0;
    for (std::size_t i = 0; i < segmentSize; ++i) {
        window[i] = 0.5 - 0.5 * std::cos(2.0 * std::numbers::pi * static_cast<double>(i) /
                                         static_cast<double>(segmentSize));
        windowPower += window[i] * window[i];
    }
    int segments = 0;
    for (std::size_t start = 0; start + segmentSize <= x.size();
         start += segmentSize / 2, ++segments) {
        std::vector<double> segment(segmentSize);
        for (std::size_t i = 0; i < segmentSize; ++i)
            segment[i] = x[start + i] * window[i];
        const std::vector<double> bins = powerSpectrum(segment);
        for (std::size_t k = 0; k < bins.size(); ++k)
            power[k] += (k == 0 || k == segmentSize / 2 ? 1.0 : 2.0) * bins[k];
    }
    for (double& p : power)
        p /= segments * windowPower * static_cast<double>(segmentSize);
    return power;
}

double toDb(double powerRatio) {
    return 10 * std::log10(powerRatio);
}

} // namespace bench
