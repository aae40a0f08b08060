#include "analysis/mean_kinetic_temperature.h"

#include <cmath>

namespace lgcset::analysis {

double CelsiusFromFahrenheit(double fahrenheit) {
    return (fahrenheit - 32.0) * 5.0 / 9.0;
}

double FahrenheitFromCelsius(double celsius) {
    return celsius * 9.0 / 5.0 + 32.0;
}

void MeanKineticTemperature::Add(double celsius) {
    const double kelvin = celsius + kZeroCelsius;
    unphysical_ = unphysical_ || !(kelvin > 0);
    sum_ += std::exp(-kActivationOverGas / kelvin);
    ++count_;
}

std::optional<double> MeanKineticTemperature::Celsius() const {
    if (count_ == 0 || unphysical_)
        return std::nullopt;
    const double mean = sum_ / static_cast<double>(count_);
    const double celsius = kActivationOverGas / -std::log(mean) - kZeroCelsius;
    if (!std::isfinite(celsius))
        return std::nullopt;
    return celsius;
}

}  // namespace lgcset::analysis
