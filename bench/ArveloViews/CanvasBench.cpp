// SPDX-License-Identifier: MIT
// CanvasBench.cpp: painting the spatial canvas with 50 cards, each with a window picture,
// into an offscreen 960 x 560 image: the first paint (pictures converted and scaled) and the
// repaints that follow (a hover, a pan or zoom step of the same cards, pictures reused).
#include "Arvelo/Views/Overview/CanvasPainter.h"

#include <QApplication>
#include <QImage>

#include <benchmark/benchmark.h>

using namespace arvelo;

namespace {

constexpr int kCards = 50;
constexpr QSize kCanvas(960, 560);

struct Scene {
    CanvasContent content;
    std::map<std::string, WindowPicture> pictures;
};

Scene makeScene() {
    Scene scene;
    scene.content.empty = false;
    const int columns = 10, rows = kCards / columns;
    const Rect area(14, 14, kCanvas.width() - 28, kCanvas.height() - 28);
    for (int i = 0; i < kCards; ++i) {
        OverviewCard card;
        const std::string key = "1:" + std::to_string(100 + i) + ":7";
        const double w = area.width / columns, h = area.height / rows;
        card.tile.nodeID = "node" + std::to_string(i);
        card.tile.windows = {key};
        if (i % 5 == 0) card.tile.windows.push_back("1:" + std::to_string(900 + i) + ":7");
        card.tile.selected = key;
        card.tile.frame = Rect(area.x + (i % columns) * w + 3, area.y + (i / columns) * h + 3, w - 6, h - 6);
        card.frame = card.tile.frame;
        card.grouped = card.tile.windows.size() > 1;
        card.hasRecord = true;
        card.hasPicture = true;
        card.appName = "Editor";
        card.title = "document " + std::to_string(i) + ".txt";
        if (card.grouped) card.tabNames = {"Editor", "Terminal"};
        scene.content.cards.push_back(card);

        WindowPicture picture;
        picture.width = 640;
        picture.height = 400;
        auto pixels = std::make_shared<std::vector<std::uint32_t>>(640 * 400, 0xff3060a0u + i);
        picture.pixels = pixels;
        picture.size = {640, 400};
        scene.pictures.emplace(key, picture);
    }
    return scene;
}

void paintOnce(views::CanvasPainter& painter, const Scene& scene, const views::CanvasLook& look, QImage& image) {
    QPainter p(&image);
    painter.paint(p, kCanvas, scene.content, scene.pictures, look);
}

void BM_CanvasFirstPaint50Cards(benchmark::State& state) {
    const Scene scene = makeScene();
    QImage image(kCanvas, QImage::Format_ARGB32_Premultiplied);
    const QIcon icon = QIcon::fromTheme("application-x-executable");
    for (auto _ : state) {
        views::CanvasPainter painter;
        painter.iconOf = [&](const OverviewCard&) { return icon; };
        paintOnce(painter, scene, {}, image);
        benchmark::DoNotOptimize(image.constBits());
    }
}
BENCHMARK(BM_CanvasFirstPaint50Cards)->Unit(benchmark::kMillisecond);

void BM_CanvasRepaint50Cards(benchmark::State& state) {
    const Scene scene = makeScene();
    QImage image(kCanvas, QImage::Format_ARGB32_Premultiplied);
    const QIcon icon = QIcon::fromTheme("application-x-executable");
    views::CanvasPainter painter;
    painter.iconOf = [&](const OverviewCard&) { return icon; };
    paintOnce(painter, scene, {}, image);
    views::CanvasLook look;
    int i = 0;
    for (auto _ : state) {
        look.hoveredNode = "node" + std::to_string(i++ % kCards);
        paintOnce(painter, scene, look, image);
        benchmark::DoNotOptimize(image.constBits());
    }
}
BENCHMARK(BM_CanvasRepaint50Cards)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
