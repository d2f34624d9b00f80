// SPDX-License-Identifier: MIT
// ScreenPixel.cpp: shell output through popen, and a one-pixel and a whole `import` of the root
// window.
#include "ScreenPixel.h"

#include <cstdio>
#include <cstdlib>
#include <sstream>

namespace e2e {

bool Colour::near(const Colour& other, int tolerance) const {
    return std::abs(red - other.red) <= tolerance && std::abs(green - other.green) <= tolerance &&
           std::abs(blue - other.blue) <= tolerance;
}

std::string Colour::text() const {
    return "(" + std::to_string(red) + "," + std::to_string(green) + "," + std::to_string(blue) + ")";
}

Colour colourOf(std::uint32_t argb) {
    return {static_cast<int>(argb >> 16 & 0xFF), static_cast<int>(argb >> 8 & 0xFF), static_cast<int>(argb & 0xFF)};
}

std::string shellOutput(const std::string& command) {
    std::string text;
    if (FILE* pipe = popen(("timeout 20 " + command).c_str(), "r")) {
        // Read as bytes: an image holds zero bytes that a line reader would stop at.
        char buffer[65536];
        std::size_t count = 0;
        while ((count = std::fread(buffer, 1, sizeof buffer, pipe)) > 0) text.append(buffer, count);
        pclose(pipe);
    }
    return text;
}

std::optional<Colour> screenPixel(int x, int y) {
    const std::string text = shellOutput("import -window root -crop 1x1+" + std::to_string(x) + "+" +
                                         std::to_string(y) + " -depth 8 txt:- 2>/dev/null");
    const auto hash = text.find('#', text.find('\n'));
    if (hash == std::string::npos || hash + 7 > text.size()) return std::nullopt;
    const auto channel = [&](std::size_t at) { return std::stoi(text.substr(hash + 1 + at, 2), nullptr, 16); };
    return Colour{channel(0), channel(2), channel(4)};
}

Colour ScreenImage::at(int x, int y) const {
    if (x < 0 || y < 0 || x >= width || y >= height) return {};
    const std::size_t at = (static_cast<std::size_t>(y) * width + x) * 3;
    const auto byte = [&](std::size_t i) { return static_cast<int>(static_cast<unsigned char>(rgb[at + i])); };
    return {byte(0), byte(1), byte(2)};
}

std::optional<ScreenImage> screenImage() {
    // A binary PPM: "P6", width, height, the largest value, one white-space byte, the pixels.
    const std::string text = shellOutput("import -window root -depth 8 ppm:- 2>/dev/null");
    std::istringstream in(text);
    std::string magic;
    ScreenImage image;
    int largest = 0;
    if (!(in >> magic >> image.width >> image.height >> largest) || magic != "P6" || largest != 255)
        return std::nullopt;
    const auto start = static_cast<std::size_t>(in.tellg()) + 1;
    const std::size_t bytes = static_cast<std::size_t>(image.width) * image.height * 3;
    if (text.size() < start + bytes) return std::nullopt;
    image.rgb = text.substr(start, bytes);
    return image;
}

}  // namespace e2e
