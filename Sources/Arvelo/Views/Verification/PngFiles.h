// SPDX-License-Identifier: MIT
// PngFiles.h: the fixture runs' screenshots written as PNG files with Qt's image writer.
#pragma once

#include <filesystem>

#include "Platform/ScreenCapture.h"

namespace arvelo::views {

// Writes the 32-bit ARGB picture as an opaque PNG file; false when it could not. Reentrant:
// the screenshots call it on their background queue.
bool writePng(const platform::CapturedImage& image, const std::filesystem::path& file);

}  // namespace arvelo::views
