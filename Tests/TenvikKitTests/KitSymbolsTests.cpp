// SPDX-License-Identifier: MIT
// KitSymbolsTests.cpp: the status image table, every row drawn as a monochrome image that a
// tray can tint, with its description; and the menu symbols.
#include "TenvikKit/Views/KitSymbols.h"

#include <gtest/gtest.h>

#include <QGuiApplication>

namespace tenvik {
namespace {

// Black with coverage in alpha only, and something drawn.
void expectMonochrome(const QImage& image, const std::string& what) {
    ASSERT_FALSE(image.isNull()) << what;
    int covered = 0;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            const QRgb pixel = image.pixel(x, y);
            EXPECT_EQ(qRed(pixel) | qGreen(pixel) | qBlue(pixel), 0) << what << " at " << x << "," << y;
            if (qAlpha(pixel) > 0) ++covered;
        }
    }
    EXPECT_GT(covered, image.width() * image.height() / 10) << what;
}

TEST(KitSymbols, EveryRowOfTheStatusTable) {
    struct Row {
        bool locked, pinned, failed;
        std::string symbol, description;
    };
    const Row rows[] = {
        {true, true, false, StatusIconChoice::kCompositeSymbol, "Focus locked and pinned"},
        {true, true, true, StatusIconChoice::kCompositeSymbol, "Focus locked and pinned"},
        {true, false, false, "lock.fill", "Focus locked"},
        {true, false, true, "lock.fill", "Focus locked"},
        {false, true, false, "pin.fill", "Pinned window"},
        {false, true, true, "pin.fill", "Pinned window"},
        {false, false, true, "pin.slash", "Pin failed"},
        {false, false, false, "pin", "Idle"},
    };
    for (const Row& row : rows) {
        const StatusIconChoice choice = StatusIconChoice::choose(row.locked, row.pinned, row.failed);
        EXPECT_EQ(choice, (StatusIconChoice{row.symbol, row.description}));
        const KitImage image = statusImage(row.locked, row.pinned, row.failed);
        EXPECT_TRUE(image.isTemplate);
        EXPECT_EQ(image.description.toStdString(), row.description);
        EXPECT_EQ(image.image.size(), QSize(18, 18));
        expectMonochrome(image.image, row.symbol);
    }
}

TEST(KitSymbols, TheImagesDiffer) {
    std::vector<QImage> images;
    for (const char* name : {"lock", "lock.fill", "pin", "pin.fill", "pin.slash", "exclamationmark.triangle",
                             StatusIconChoice::kCompositeSymbol}) {
        images.push_back(symbolImage(name, 36));
        expectMonochrome(images.back(), name);
    }
    for (std::size_t a = 0; a < images.size(); ++a)
        for (std::size_t b = a + 1; b < images.size(); ++b) EXPECT_NE(images[a], images[b]) << a << " " << b;
    EXPECT_TRUE(symbolImage("no.such.symbol", 18).isNull());
    EXPECT_TRUE(symbolIcon("pin").isMask());
}

}  // namespace
}  // namespace tenvik
