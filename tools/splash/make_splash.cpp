// Draws the start-up picture Splash.spl (a 24-bit bitmap): the product's name
// in block letters on the program's blue gradient. Runs on the build machine.
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <map>
#include <string>
#include <vector>

namespace {

constexpr int kWidth = 400, kHeight = 260;

struct Rgb {
    int r, g, b;
};

// Letters five dots wide and seven high, one string per row.
const std::map<char, std::vector<const char*>>& Font() {
    static const std::map<char, std::vector<const char*>> font = {
        {'A', {".###.", "#...#", "#...#", "#####", "#...#", "#...#", "#...#"}},
        {'B', {"####.", "#...#", "#...#", "####.", "#...#", "#...#", "####."}},
        {'D', {"####.", "#...#", "#...#", "#...#", "#...#", "#...#", "####."}},
        {'E', {"#####", "#....", "#....", "####.", "#....", "#....", "#####"}},
        {'I', {"#####", "..#..", "..#..", "..#..", "..#..", "..#..", "#####"}},
        {'L', {"#....", "#....", "#....", "#....", "#....", "#....", "#####"}},
        {'M', {"#...#", "##.##", "#.#.#", "#.#.#", "#...#", "#...#", "#...#"}},
        {'N', {"#...#", "##..#", "#.#.#", "#..##", "#...#", "#...#", "#...#"}},
        {'O', {".###.", "#...#", "#...#", "#...#", "#...#", "#...#", ".###."}},
        {'R', {"####.", "#...#", "#...#", "####.", "#.#..", "#..#.", "#...#"}},
        {'T', {"#####", "..#..", "..#..", "..#..", "..#..", "..#..", "..#.."}},
        {'V', {"#...#", "#...#", "#...#", "#...#", "#...#", ".#.#.", "..#.."}},
        {'X', {"#...#", "#...#", ".#.#.", "..#..", ".#.#.", "#...#", "#...#"}},
        {' ', {".....", ".....", ".....", ".....", ".....", ".....", "....."}},
    };
    return font;
}

class Picture {
public:
    Picture() : dots_(static_cast<size_t>(kWidth * kHeight)) {}
    void Set(int x, int y, Rgb c) {
        if (x >= 0 && x < kWidth && y >= 0 && y < kHeight) dots_[static_cast<size_t>(y * kWidth + x)] = c;
    }
    // Text centred on a line, each dot a square of `scale` pixels.
    void Text(const std::string& text, int top, int scale, Rgb c) {
        const int advance = 6 * scale;
        int x = (kWidth - static_cast<int>(text.size()) * advance + scale) / 2;
        for (char ch : text) {
            const auto& rows = Font().at(ch);
            for (int row = 0; row < 7; ++row)
                for (int col = 0; col < 5; ++col)
                    if (rows[static_cast<size_t>(row)][col] == '#')
                        for (int dy = 0; dy < scale; ++dy)
                            for (int dx = 0; dx < scale; ++dx) Set(x + col * scale + dx, top + row * scale + dy, c);
            x += advance;
        }
    }
    bool Save(const char* path) const {
        const int stride = (kWidth * 3 + 3) & ~3;
        const std::uint32_t imageSize = static_cast<std::uint32_t>(stride * kHeight);
        std::vector<unsigned char> file(54 + imageSize, 0);
        auto put32 = [&file](size_t at, std::uint32_t v) {
            for (int i = 0; i < 4; ++i) file[at + static_cast<size_t>(i)] = static_cast<unsigned char>(v >> (8 * i));
        };
        file[0] = 'B';
        file[1] = 'M';
        put32(2, static_cast<std::uint32_t>(file.size()));
        put32(10, 54);
        put32(14, 40);
        put32(18, kWidth);
        put32(22, kHeight);
        file[26] = 1;
        file[28] = 24;
        put32(34, imageSize);
        for (int y = 0; y < kHeight; ++y) {
            unsigned char* row = &file[54 + static_cast<size_t>((kHeight - 1 - y) * stride)];
            for (int x = 0; x < kWidth; ++x) {
                const Rgb& c = dots_[static_cast<size_t>(y * kWidth + x)];
                row[x * 3] = static_cast<unsigned char>(c.b);
                row[x * 3 + 1] = static_cast<unsigned char>(c.g);
                row[x * 3 + 2] = static_cast<unsigned char>(c.r);
            }
        }
        FILE* out = std::fopen(path, "wb");
        if (!out) return false;
        const bool written = std::fwrite(file.data(), 1, file.size(), out) == file.size();
        return std::fclose(out) == 0 && written;
    }

private:
    std::vector<Rgb> dots_;
};

int Mix(int a, int b, int at, int of) { return a + (b - a) * at / of; }

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: make_splash <Splash.spl>\n");
        return 2;
    }
    Picture picture;
    const Rgb top{43, 42, 153}, bottom{174, 174, 255};
    for (int y = 0; y < kHeight; ++y)
        for (int x = 0; x < kWidth; ++x)
            picture.Set(x, y, {Mix(top.r, bottom.r, y, kHeight), Mix(top.g, bottom.g, y, kHeight),
                               Mix(top.b, bottom.b, y, kHeight)});
    for (int x = 0; x < kWidth; ++x)
        for (int y = 0; y < 3; ++y) picture.Set(x, 150 + y, {255, 255, 255});
    picture.Text("MARBLETON", 30, 3, {220, 220, 255});
    picture.Text("TIDVEX", 66, 10, {255, 255, 255});
    return picture.Save(argv[1]) ? 0 : 1;
}
