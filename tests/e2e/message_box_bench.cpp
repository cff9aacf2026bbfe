// How long a message box takes to open on a 10 MB result text (target:
// under a second), with many short lines and with one very long line.
#include "app/boxes.h"

#include <QApplication>

#include <benchmark/benchmark.h>

namespace {

QString ManyLines()
{
    QString text;
    const QString line = QStringLiteral("  x = %1, y = 0.5 : noeud attractif (valeurs propres réelles)\r\n");
    while (text.size() < 10'000'000)
        text += line.arg(text.size());
    return text;
}

void OpenBox(benchmark::State& state, const QString& text)
{
    for (auto _ : state) {
        vindrel::MessageBox box(text, QStringLiteral("Vindrel"));
        box.show();
        QApplication::processEvents();
        box.hide();
    }
}

void BM_TenMegabytesOfShortLines(benchmark::State& state)
{
    OpenBox(state, ManyLines());
}
void BM_TenMegabytesInOneLine(benchmark::State& state)
{
    OpenBox(state, QString(10'000'000, QLatin1Char('x')));
}

BENCHMARK(BM_TenMegabytesOfShortLines)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_TenMegabytesInOneLine)->Unit(benchmark::kMillisecond)->Iterations(1);

} // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    return 0;
}
