#pragma once
// The synthetic terrains bench_adaptive meshes: 8-bit grey maps (channel sum 3 x grey, so
// that a peer reading the same grey file sees exactly the same heights), made from
// integer hashes only, so every run and every machine gets the same bytes. Features are
// sized relative to the map, so the 1024 and 4096 maps show the same landscape.
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <string>
#include <vector>

namespace bench {

struct GreyMap {
    std::string name;
    int side = 0;
    std::vector<std::uint8_t> grey;  // side x side, rows top first
};

// A well-mixed 32-bit hash (lowbias32), the only source of randomness here.
inline std::uint32_t Hash(std::uint32_t x)
{
    x ^= x >> 16;
    x *= 0x7feb352du;
    x ^= x >> 15;
    x *= 0x846ca68bu;
    x ^= x >> 16;
    return x;
}

inline double UnitHash(std::uint32_t a, std::uint32_t b = 0, std::uint32_t c = 0)
{
    return Hash(a ^ Hash(b + 0x9e3779b9u * (c + 1))) / 4294967296.0;
}

// Value noise on an integer lattice, quintic fade, in -1..1.
inline double ValueNoise(double x, double y, std::uint32_t seed)
{
    const double fx = std::floor(x), fy = std::floor(y);
    const auto ix = static_cast<std::uint32_t>(static_cast<std::int64_t>(fx));
    const auto iy = static_cast<std::uint32_t>(static_cast<std::int64_t>(fy));
    const auto fade = [](double t) { return t * t * t * (t * (t * 6 - 15) + 10); };
    const double u = fade(x - fx), v = fade(y - fy);
    const auto at = [&](std::uint32_t dx, std::uint32_t dy) { return 2 * UnitHash(ix + dx, iy + dy, seed) - 1; };
    const double top = at(0, 0) + (at(1, 0) - at(0, 0)) * u;
    const double bottom = at(0, 1) + (at(1, 1) - at(0, 1)) * u;
    return top + (bottom - top) * v;
}

// Gradient (Perlin) noise: a hashed unit gradient at each lattice point, about -1..1.
inline double GradientNoise(double x, double y, std::uint32_t seed)
{
    const double fx = std::floor(x), fy = std::floor(y);
    const auto ix = static_cast<std::uint32_t>(static_cast<std::int64_t>(fx));
    const auto iy = static_cast<std::uint32_t>(static_cast<std::int64_t>(fy));
    const double tx = x - fx, ty = y - fy;
    const auto fade = [](double t) { return t * t * t * (t * (t * 6 - 15) + 10); };
    // 256 directions, worked out once.
    static const std::vector<double> directions = [] {
        std::vector<double> d(512);
        for (int k = 0; k < 256; ++k) {
            d[2 * k] = std::cos(6.283185307179586 * (k + 0.5) / 256);
            d[2 * k + 1] = std::sin(6.283185307179586 * (k + 0.5) / 256);
        }
        return d;
    }();
    const auto at = [&](std::uint32_t dx, std::uint32_t dy) {
        const std::size_t k = 2 * (Hash(ix + dx + Hash(iy + dy + 0x9e3779b9u * (seed + 1))) & 255);
        return directions[k] * (tx - dx) + directions[k + 1] * (ty - dy);
    };
    const double u = fade(tx), v = fade(ty);
    const double top = at(0, 0) + (at(1, 0) - at(0, 0)) * u;
    const double bottom = at(0, 1) + (at(1, 1) - at(0, 1)) * u;
    return 1.4 * (top + (bottom - top) * v);
}

inline std::vector<std::uint8_t> Quantise(const std::vector<double>& heights)
{
    const auto [low, high] = std::minmax_element(heights.begin(), heights.end());
    const double scale = *high > *low ? 255.0 / (*high - *low) : 0.0;
    std::vector<std::uint8_t> grey(heights.size());
    for (std::size_t i = 0; i < heights.size(); ++i)
        grey[i] = static_cast<std::uint8_t>(std::lround((heights[i] - *low) * scale));
    return grey;
}

// Forty round hills and hollows.
inline GreyMap SmoothHills(int side)
{
    struct Hill {
        double x, y, radius, height;
    };
    std::vector<Hill> hills;
    for (std::uint32_t k = 0; k < 40; ++k)
        hills.push_back({UnitHash(k, 1), UnitHash(k, 2), 0.04 + 0.16 * UnitHash(k, 3), UnitHash(k, 4) - 0.3});
    // exp(-(dx^2 + dy^2) / r^2) is the product of a column factor and a row factor.
    std::vector<double> columnFactor(hills.size() * side), rowFactor(hills.size() * side);
    for (std::size_t k = 0; k < hills.size(); ++k)
        for (int i = 0; i < side; ++i) {
            const double t = (i + 0.5) / side;
            const double dx = t - hills[k].x, dy = t - hills[k].y, r2 = hills[k].radius * hills[k].radius;
            columnFactor[k * side + i] = std::exp(-dx * dx / r2);
            rowFactor[k * side + i] = hills[k].height * std::exp(-dy * dy / r2);
        }
    std::vector<double> heights(static_cast<std::size_t>(side) * side);
    for (int r = 0; r < side; ++r)
        for (int c = 0; c < side; ++c) {
            double h = 0;
            for (std::size_t k = 0; k < hills.size(); ++k)
                h += rowFactor[k * side + r] * columnFactor[k * side + c];
            heights[static_cast<std::size_t>(r) * side + c] = h;
        }
    return {"hills", side, Quantise(heights)};
}

// Ridged multifractal (Musgrave): sharp crests, detail that fades into the valleys.
inline GreyMap RidgedNoise(int side)
{
    std::vector<double> heights(static_cast<std::size_t>(side) * side);
    for (int r = 0; r < side; ++r)
        for (int c = 0; c < side; ++c) {
            double x = 4.0 * c / side, y = 4.0 * r / side;
            double sum = 0, weight = 1, amplitude = 1;
            for (std::uint32_t octave = 0; octave < 8; ++octave) {
                double signal = 1 - std::fabs(GradientNoise(x, y, 17 + octave));
                signal *= signal * weight;
                weight = std::clamp(signal * 2, 0.0, 1.0);
                sum += signal * amplitude;
                amplitude *= 0.5;
                // Turned a little each octave, so the lattices do not line up.
                const double turned = 0.8 * x - 0.6 * y;
                y = 2.03 * (0.6 * x + 0.8 * y);
                x = 2.03 * turned;
            }
            heights[static_cast<std::size_t>(r) * side + c] = sum;
        }
    return {"ridged", side, Quantise(heights)};
}

// Gently rolling ground with a flat-topped plateau whose wavy rim drops 90 grey levels
// within a pixel or two.
inline GreyMap PlateauCliff(int side)
{
    std::vector<std::uint8_t> grey(static_cast<std::size_t>(side) * side);
    for (int r = 0; r < side; ++r)
        for (int c = 0; c < side; ++c) {
            const double x = (c + 0.5) / side, y = (r + 0.5) / side;
            const double ground = 40 + 50 * x + 25 * ValueNoise(3 * x, 3 * y, 5) + 8 * ValueNoise(11 * x, 11 * y, 6);
            const double dx = x - 0.55, dy = y - 0.45;
            const double angle = std::atan2(dy, dx);
            const double rim = 0.28 + 0.04 * std::sin(5 * angle) + 0.02 * ValueNoise(6 * x, 6 * y, 7);
            const double distance = std::sqrt(dx * dx + dy * dy);
            const double edge = std::clamp((rim - distance) * side / 1.5, 0.0, 1.0);  // 1.5 pixels wide
            const double top = 200 + 4 * ValueNoise(2 * x, 2 * y, 8);
            const double h = ground + (std::max(top, ground) - ground) * edge;
            grey[static_cast<std::size_t>(r) * side + c] = static_cast<std::uint8_t>(std::clamp(std::lround(h), 0L, 255L));
        }
    return {"plateau", side, grey};
}

}  // namespace bench
