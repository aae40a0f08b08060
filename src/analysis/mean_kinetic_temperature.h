// Mean Kinetic Temperature: the single temperature that would age a product as much as the
// varying temperatures it went through, by the Arrhenius equation with the activation
// energy of the pharmacopoeias (USP <1160>, <1079.2>):
//   MKT = (ΔH/R) / (−ln((1/n) Σ exp(−ΔH/(R·Tᵢ))))  with Tᵢ in kelvin,
// ΔH = 83.144 kJ/mol and R = 8.3144 J/(mol·K). Every reading weighs the same: the logger
// logs at a fixed interval.
#pragma once

#include <cstddef>
#include <optional>

namespace lgcset::analysis {

// ΔH/R in kelvin.
inline constexpr double kActivationOverGas = 83144.0 / 8.3144;
inline constexpr double kZeroCelsius = 273.15;

double CelsiusFromFahrenheit(double fahrenheit);
double FahrenheitFromCelsius(double celsius);

// Takes the readings in °C one at a time.
class MeanKineticTemperature {
  public:
    void Add(double celsius);
    // In °C; nothing before the first reading, or after one at or below absolute zero or
    // so hot that it outweighs every other (a probe fault: the formula has no meaning there).
    std::optional<double> Celsius() const;

  private:
    double sum_ = 0;
    std::size_t count_ = 0;
    bool unphysical_ = false;
};

}  // namespace lgcset::analysis
