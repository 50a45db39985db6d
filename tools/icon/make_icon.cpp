// Draws the program's icon, Tidvex.ico: a white "T" whose stem ends in shreds,
// on a rounded square of the program's blue, at the sizes Windows asks for
// (title bars and the tray take 16, the desktop 32 and 48, the About page the
// larger ones). 32-bit images with an alpha channel, smoothed edges. Runs on the
// build machine.
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <vector>

namespace {

constexpr int kSizes[] = {16, 24, 32, 48, 64, 96};
// Sub-samples per pixel along each axis, for the smoothed edges.
constexpr int kSamples = 6;

struct Rgba {
    double r = 0, g = 0, b = 0, a = 0;
};

// The shapes, in a square of side 1 with y growing downwards.
bool InRoundedSquare(double x, double y, double inset) {
    const double radius = 0.2 - inset, lo = inset, hi = 1 - inset;
    if (x < lo || x > hi || y < lo || y > hi) return false;
    const double cx = std::clamp(x, lo + radius, hi - radius), cy = std::clamp(y, lo + radius, hi - radius);
    return (x - cx) * (x - cx) + (y - cy) * (y - cy) <= radius * radius;
}

bool InLetter(double x, double y) {
    if (y >= 0.2 && y <= 0.37 && x >= 0.19 && x <= 0.81) return true;  // the bar
    if (x < 0.38 || x > 0.62 || y < 0.37) return false;
    if (y <= 0.6) return true;  // the stem, whole
    // Below, three shreds with gaps between them, of uneven lengths.
    const double shreds[3][3] = {{0.38, 0.44, 0.84}, {0.47, 0.53, 0.79}, {0.56, 0.62, 0.87}};
    for (const auto& s : shreds)
        if (x >= s[0] && x <= s[1] && y <= s[2]) return true;
    return false;
}

// The colour of one point: the blue square lighter at the top, a darker rim,
// the white letter.
Rgba At(double x, double y) {
    if (!InRoundedSquare(x, y, 0.02)) return {};
    if (!InRoundedSquare(x, y, 0.06)) return {28, 27, 110, 255};
    if (InLetter(x, y)) return {255, 255, 255, 255};
    const double t = std::clamp((y - 0.06) / 0.88, 0.0, 1.0);
    return {120 + (43 - 120) * t, 122 + (42 - 122) * t, 240 + (153 - 240) * t, 255};
}

// One size: BGRA rows from the top, each pixel the mean of its sub-samples.
std::vector<std::uint8_t> Draw(int size) {
    std::vector<std::uint8_t> bgra(static_cast<size_t>(size * size * 4));
    for (int py = 0; py < size; ++py) {
        for (int px = 0; px < size; ++px) {
            Rgba sum;
            for (int sy = 0; sy < kSamples; ++sy) {
                for (int sx = 0; sx < kSamples; ++sx) {
                    const Rgba c = At((px + (sx + 0.5) / kSamples) / size, (py + (sy + 0.5) / kSamples) / size);
                    // Premultiplied, so that the transparent outside does not darken the edge.
                    sum.r += c.r * c.a;
                    sum.g += c.g * c.a;
                    sum.b += c.b * c.a;
                    sum.a += c.a;
                }
            }
            std::uint8_t* p = &bgra[static_cast<size_t>((py * size + px) * 4)];
            const double n = kSamples * kSamples;
            if (sum.a > 0) {
                p[0] = static_cast<std::uint8_t>(std::lround(sum.b / sum.a));
                p[1] = static_cast<std::uint8_t>(std::lround(sum.g / sum.a));
                p[2] = static_cast<std::uint8_t>(std::lround(sum.r / sum.a));
            }
            p[3] = static_cast<std::uint8_t>(std::lround(sum.a / n));
        }
    }
    return bgra;
}

void Put16(std::vector<std::uint8_t>& out, unsigned v) {
    out.push_back(static_cast<std::uint8_t>(v));
    out.push_back(static_cast<std::uint8_t>(v >> 8));
}

void Put32(std::vector<std::uint8_t>& out, std::uint32_t v) {
    Put16(out, v & 0xFFFF);
    Put16(out, v >> 16);
}

// One image of the icon file: a bitmap header of twice the height (colour and
// mask), the colour rows bottom-up, then the mask, set where fully transparent.
std::vector<std::uint8_t> Image(int size) {
    const std::vector<std::uint8_t> bgra = Draw(size);
    const int maskStride = ((size + 31) / 32) * 4;
    std::vector<std::uint8_t> out;
    Put32(out, 40);
    Put32(out, static_cast<std::uint32_t>(size));
    Put32(out, static_cast<std::uint32_t>(size * 2));
    Put16(out, 1);
    Put16(out, 32);
    Put32(out, 0);
    Put32(out, static_cast<std::uint32_t>(size * size * 4 + maskStride * size));
    for (int i = 0; i < 4; ++i) Put32(out, 0);
    for (int y = size - 1; y >= 0; --y)
        out.insert(out.end(), bgra.begin() + y * size * 4, bgra.begin() + (y + 1) * size * 4);
    for (int y = size - 1; y >= 0; --y) {
        std::vector<std::uint8_t> row(static_cast<size_t>(maskStride), 0);
        for (int x = 0; x < size; ++x)
            if (bgra[static_cast<size_t>((y * size + x) * 4 + 3)] == 0)
                row[static_cast<size_t>(x / 8)] |= static_cast<std::uint8_t>(0x80 >> (x % 8));
        out.insert(out.end(), row.begin(), row.end());
    }
    return out;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: make_icon <Tidvex.ico>\n");
        return 2;
    }
    const int count = static_cast<int>(std::size(kSizes));
    std::vector<std::vector<std::uint8_t>> images;
    for (int size : kSizes) images.push_back(Image(size));
    std::vector<std::uint8_t> file;
    Put16(file, 0);
    Put16(file, 1);
    Put16(file, static_cast<unsigned>(count));
    std::uint32_t offset = 6 + 16 * static_cast<std::uint32_t>(count);
    for (int i = 0; i < count; ++i) {
        file.push_back(static_cast<std::uint8_t>(kSizes[i] % 256));
        file.push_back(static_cast<std::uint8_t>(kSizes[i] % 256));
        file.push_back(0);
        file.push_back(0);
        Put16(file, 1);
        Put16(file, 32);
        Put32(file, static_cast<std::uint32_t>(images[static_cast<size_t>(i)].size()));
        Put32(file, offset);
        offset += static_cast<std::uint32_t>(images[static_cast<size_t>(i)].size());
    }
    for (const auto& image : images) file.insert(file.end(), image.begin(), image.end());
    FILE* out = std::fopen(argv[1], "wb");
    if (!out) return 1;
    const bool written = std::fwrite(file.data(), 1, file.size(), out) == file.size();
    return std::fclose(out) == 0 && written ? 0 : 1;
}
