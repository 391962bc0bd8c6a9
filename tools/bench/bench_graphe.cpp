// Times of the plot's drawings on a large surface: a full redraw of 9 channels of 2048
// samples joined by lines, and the drawing of one new sample. Prints the median times.
// bench_graphe [repetitions] [image.png]: the image of the last full redraw can be saved.

#include "display/graphe.h"

#include <QElapsedTimer>
#include <QGuiApplication>
#include <QImage>
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <memory>
#include <vector>

namespace {
double mediane(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    const std::size_t n = v.size();
    return n % 2 ? v[n / 2] : (v[n / 2 - 1] + v[n / 2]) / 2;
}

template <class F> std::vector<double> mesure(int repetitions, F&& f) {
    std::vector<double> ms;
    ms.reserve(std::size_t(repetitions));
    QElapsedTimer chrono;
    for (int i = 0; i < repetitions; ++i) {
        chrono.start();
        f(i);
        ms.push_back(double(chrono.nsecsElapsed()) / 1e6);
    }
    return ms;
}
} // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    const int repetitions = argc > 1 ? std::max(1, std::atoi(argv[1])) : 50;

    QImage image(1600, 1000, QImage::Format_RGB32);
    auto g = std::make_unique<Tgraphe>();
    g->Canvas = &image;
    g->Police = QFont(QStringLiteral("Arial"));
    g->Police.setPixelSize(12);
    g->LimiteFenetre = image.rect();
    g->NbreVoies = Tgraphe::MaxVoies;
    g->avecLigne = true;
    g->mondeX.Nom = QStringLiteral("t");
    g->mondeX.Unite = QStringLiteral("s");
    g->mondeX.SetMinMax(0, 2048);
    const int n = 2048;
    for (int i = 0; i < n; ++i) {
        const auto k = std::size_t(i);
        g->mondeX.valeur[k] = i;
        for (int v = 0; v < Tgraphe::MaxVoies; ++v)
            g->mondeY[v].valeur[k] = 5 + 4 * std::sin(i / 100.0 + v) + 0.3 * std::sin(i * 0.7);
    }
    for (int v = 0; v < Tgraphe::MaxVoies; ++v) {
        g->mondeY[v].SetMinMax(0, 10);
        g->mondeY[v].Nom = QStringLiteral("pH");
    }
    g->NbrePoints = n;
    g->mondeX.PosCurseur = 800;
    for (int v = 0; v < Tgraphe::MaxVoies; ++v)
        g->mondeY[v].PosCurseur = 100 + 80 * v;

    g->DrawG(); // fonts and caches warmed up
    const double complet = mediane(mesure(repetitions, [&](int) { g->DrawG(); }));
    if (argc > 2) image.save(QString::fromLocal8Bit(argv[2]));
    // One new sample on every channel, as the recording draws it.
    const double point = mediane(mesure(
        repetitions * 20, [&](int i) { g->TracePoint(i % Tgraphe::MaxVoies, 1 + i % (n - 1)); }));
    const double curseurs = mediane(mesure(repetitions * 20, [&](int) { g->TraceCurseurs(); }));

    std::printf("bench_graphe: 1600x1000, %d channels x %d samples with lines, %d runs\n",
                Tgraphe::MaxVoies, n, repetitions);
    std::printf("full redraw (DrawG)      median %8.3f ms\n", complet);
    std::printf("one new sample (TracePoint) median %8.3f ms\n", point);
    std::printf("cursor crosses (TraceCurseurs) median %8.3f ms\n", curseurs);
    return 0;
}
