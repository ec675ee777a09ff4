// Writes the editor's built-in 320 x 200 height map as a 24-bit BMP file.
//
//   make_builtin_picture resources/builtin.bmp
//
// The picture is a soft, cloud-like relief: a few neutral grey patches in the top-left
// corner, light in the middle and ringed by dark bands, inside a larger relief tinted
// towards blue, most strongly where it is light. It is built from value noise (smoothly
// interpolated random lattice values summed over several octaves), so it is the same on
// every run. Not part of the build: run it by hand and commit the result.
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <fstream>
#include <vector>

namespace {

constexpr int kWidth = 320;
constexpr int kHeight = 200;
constexpr int kGreyBox = 179;                     // greys stay inside the top-left 179 x 179
constexpr int kGreyPixels = kWidth * kHeight / 5;  // about a fifth of the picture
constexpr double kTargetMean = 133.0;

struct Rgb {
    int red, green, blue;
};

// A fixed hash of a lattice point to 0..1.
double LatticeValue(int x, int y, std::uint32_t seed)
{
    std::uint32_t h = seed ^ (static_cast<std::uint32_t>(x) * 0x8DA6B343u) ^
                      (static_cast<std::uint32_t>(y) * 0xD8163841u);
    h ^= h >> 13;
    h *= 0x5BD1E995u;
    h ^= h >> 15;
    return (h & 0xFFFFFF) / double(0xFFFFFF);
}

double Fade(double t) { return t * t * t * (t * (t * 6 - 15) + 10); }

double ValueNoise(double x, double y, std::uint32_t seed)
{
    const int x0 = static_cast<int>(std::floor(x));
    const int y0 = static_cast<int>(std::floor(y));
    const double fx = Fade(x - x0);
    const double fy = Fade(y - y0);
    const double top = std::lerp(LatticeValue(x0, y0, seed), LatticeValue(x0 + 1, y0, seed), fx);
    const double bottom = std::lerp(LatticeValue(x0, y0 + 1, seed), LatticeValue(x0 + 1, y0 + 1, seed), fx);
    return std::lerp(top, bottom, fy);
}

// Several octaves, each half as strong and twice as fine; result roughly 0..1.
double Clouds(double x, double y, double scale, std::uint32_t seed)
{
    double sum = 0, weight = 0, amplitude = 1;
    for (int octave = 0; octave < 4; ++octave) {
        sum += amplitude * ValueNoise(x / scale, y / scale, seed + static_cast<std::uint32_t>(octave));
        weight += amplitude;
        amplitude *= 0.5;
        scale *= 0.5;
    }
    return sum / weight;
}

std::vector<double> Field(double scale, std::uint32_t seed)
{
    std::vector<double> field(kWidth * kHeight);
    for (int y = 0; y < kHeight; ++y)
        for (int x = 0; x < kWidth; ++x)
            field[y * kWidth + x] = Clouds(x, y, scale, seed);
    const auto [low, high] = std::minmax_element(field.begin(), field.end());
    const double lo = *low, span = *high - *low;
    for (double& v : field)
        v = (v - lo) / span;
    return field;
}

// The grey patches: where a second cloud field, faded out towards the edges of the
// top-left box, is highest. Returns for each pixel how far it lies inside a patch
// (0..1), or a negative number outside every patch.
std::vector<double> GreyPatches()
{
    const std::vector<double> field = Field(60, 7771);
    std::vector<double> inside(kWidth * kHeight, -1.0);
    std::vector<double> ranked;
    for (int y = 0; y < kGreyBox; ++y)
        for (int x = 0; x < kGreyBox; ++x) {
            const double edge = std::min({x, y, kGreyBox - 1 - x, kGreyBox - 1 - y}) / 45.0;
            inside[y * kWidth + x] = field[y * kWidth + x] * std::min(1.0, edge);
            ranked.push_back(inside[y * kWidth + x]);
        }
    std::sort(ranked.begin(), ranked.end(), std::greater<>());
    const double threshold = ranked[kGreyPixels];
    const double top = ranked.front();
    for (double& v : inside)
        v = v >= threshold ? (v - threshold) / (top - threshold) : -1.0;
    return inside;
}

Rgb GreyPixel(double depth)
{
    // Dark at the rim, light towards the middle: the square root widens the light part.
    const int grey = 7 + static_cast<int>(std::floor(218 * std::sqrt(std::min(1.0, depth * 1.6))));
    return {grey, grey, grey};
}

Rgb TintedPixel(double height, double gamma)
{
    const int level = 5 + static_cast<int>(std::lround(195 * std::pow(height, gamma)));
    // The tint grows with brightness and reaches full blue around level 200.
    const int blue = std::min(255, level + 2 + static_cast<int>(std::lround(level * 0.27)));
    return {level, level, blue};
}

std::vector<Rgb> Render(const std::vector<double>& relief, const std::vector<double>& patches, double gamma)
{
    std::vector<Rgb> pixels(kWidth * kHeight);
    for (std::size_t k = 0; k < pixels.size(); ++k)
        pixels[k] = patches[k] >= 0 ? GreyPixel(patches[k]) : TintedPixel(relief[k], gamma);
    return pixels;
}

double MeanIntensity(const std::vector<Rgb>& pixels)
{
    double sum = 0;
    for (const Rgb& p : pixels)
        sum += (p.red + p.green + p.blue) / 3.0;
    return sum / static_cast<double>(pixels.size());
}

void Put16(std::vector<std::uint8_t>& out, std::uint32_t v)
{
    out.push_back(static_cast<std::uint8_t>(v));
    out.push_back(static_cast<std::uint8_t>(v >> 8));
}

void Put32(std::vector<std::uint8_t>& out, std::uint32_t v)
{
    Put16(out, v & 0xFFFF);
    Put16(out, v >> 16);
}

// File header, 40-byte information header, no colour table, rows bottom-up in B, G, R.
std::vector<std::uint8_t> EncodeBmp(const std::vector<Rgb>& pixels)
{
    constexpr std::uint32_t kRowBytes = kWidth * 3;  // 960: already a multiple of 4
    constexpr std::uint32_t kImageBytes = kRowBytes * kHeight;
    std::vector<std::uint8_t> out;
    out.push_back('B');
    out.push_back('M');
    Put32(out, 54 + kImageBytes);
    Put32(out, 0);
    Put32(out, 54);
    Put32(out, 40);
    Put32(out, kWidth);
    Put32(out, kHeight);
    Put16(out, 1);
    Put16(out, 24);
    Put32(out, 0);
    Put32(out, kImageBytes);
    Put32(out, 3780);  // 96 dots per inch
    Put32(out, 3780);
    Put32(out, 0);
    Put32(out, 0);
    for (int y = kHeight - 1; y >= 0; --y)
        for (int x = 0; x < kWidth; ++x) {
            const Rgb& p = pixels[y * kWidth + x];
            out.push_back(static_cast<std::uint8_t>(p.blue));
            out.push_back(static_cast<std::uint8_t>(p.green));
            out.push_back(static_cast<std::uint8_t>(p.red));
        }
    return out;
}

} // namespace

int main(int argc, char** argv)
{
    const char* path = argc > 1 ? argv[1] : "resources/builtin.bmp";
    const std::vector<double> relief = Field(90, 12345);
    const std::vector<double> patches = GreyPatches();

    // Choose the relief's contrast curve so the mean intensity lands on the target.
    double low = 0.2, high = 5.0;
    for (int step = 0; step < 60; ++step) {
        const double mid = (low + high) / 2;
        (MeanIntensity(Render(relief, patches, mid)) > kTargetMean ? low : high) = mid;
    }
    const std::vector<Rgb> pixels = Render(relief, patches, (low + high) / 2);

    const std::vector<std::uint8_t> file = EncodeBmp(pixels);
    std::ofstream out(path, std::ios::binary);
    out.write(reinterpret_cast<const char*>(file.data()), static_cast<std::streamsize>(file.size()));
    out.close();
    if (!out) {
        std::perror(path);
        return 1;
    }
    std::printf("%s: %zu bytes, mean intensity %.2f\n", path, file.size(), MeanIntensity(pixels));
    return 0;
}
