// Full repaint of a month with 300 entries into an image.
#include "monthview/monthview.h"

#include <QApplication>
#include <QImage>
#include <benchmark/benchmark.h>

using namespace nox;
using namespace nox::monthview;

namespace
{

void fill(TMonthView& view, int count)
{
    view.Items()->BeginUpdate();
    view.Items()->Clear();
    const QDate first = view.CellDate(0);
    for (int i = 0; i < count; ++i) {
        TMonthViewItem* item = view.Items()->Add();
        const QDate day = first.addDays((i * 7) % 42);
        item->SetStartDateTime(QDateTime(day, QTime(8 + i % 10, (i % 2) * 30)));
        item->SetEndDateTime(QDateTime(day, QTime(9 + i % 10, 0)));
        item->SetText(QStringLiteral("予定 %1 の見出し").arg(i));
        item->SetMemoMark(i % 3 == 0);
    }
    view.Items()->EndUpdate();
}

void repaint(benchmark::State& state, TMonthTimeViewStyle style, qreal ratio)
{
    TMonthView view;
    view.resize(1000, 700);
    view.SetCurrentDate(QDate(2026, 3, 10));
    view.View()->SetTimeViewStyle(style);
    view.AddHoliday(QStringLiteral("春分の日"), QDate(2026, 3, 20));
    fill(view, 300);
    QImage image(view.size() * ratio, QImage::Format_ARGB32_Premultiplied);
    image.setDevicePixelRatio(ratio);
    for (auto _ : state) {
        view.ImagesChanged(); // forces a new layout as every full repaint does
        view.render(&image);
        benchmark::DoNotOptimize(image.constBits());
    }
}

void BM_RepaintMonth300(benchmark::State& state)
{
    repaint(state, mtvNone, 1.0);
}
void BM_RepaintMonth300Span(benchmark::State& state)
{
    repaint(state, mtvSpan, 1.0);
}
void BM_RepaintMonth300Ratio2(benchmark::State& state)
{
    repaint(state, mtvStart, 2.0);
}

void BM_Fill300(benchmark::State& state)
{
    TMonthView view;
    view.resize(1000, 700);
    for (auto _ : state) {
        fill(view, 300);
    }
}

} // namespace

BENCHMARK(BM_RepaintMonth300)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_RepaintMonth300Span)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_RepaintMonth300Ratio2)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Fill300)->Unit(benchmark::kMillisecond);

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QFont::insertSubstitution(QStringLiteral("ＭＳ Ｐゴシック"), QStringLiteral("Noto Sans CJK JP"));
    QApplication app(argc, argv);
    QFont font(QStringLiteral("ＭＳ Ｐゴシック"));
    font.setPixelSize(12);
    QApplication::setFont(font);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
