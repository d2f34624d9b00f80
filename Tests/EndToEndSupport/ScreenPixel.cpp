// ScreenPixel.cpp: shell output through popen and a one-pixel `import` of the root window.
#include "ScreenPixel.h"

#include <cstdio>
#include <cstdlib>

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
        char buffer[512];
        while (std::fgets(buffer, sizeof buffer, pipe)) text += buffer;
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

}  // namespace e2e
