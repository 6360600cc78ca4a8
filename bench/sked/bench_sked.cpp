// Layout and full render of the day view: one column with the 48 lines and
// 40 items, and a 7-column control as the main window shows a week.
#include "sked/skedcontrol.h"

#include <QApplication>
#include <QImage>
#include <QPainter>
#include <QRandomGenerator>

#include <benchmark/benchmark.h>

using namespace nox;
using namespace nox::sked;

namespace
{

const QStringList texts{
    QStringLiteral("定例会議"),       QStringLiteral("資料準備と確認、関係者への連絡"),
    QStringLiteral("昼食"),           QStringLiteral("出張：大阪支社。新幹線の時刻を確認すること。"),
    QStringLiteral("電話\n折り返し"), QString()};

const QList<QPixmap>& images()
{
    static const QList<QPixmap> list = [] {
        QList<QPixmap> l;
        for (int i = 0; i < 4; ++i) {
            QPixmap p(16, 16);
            p.fill(QColor::fromHsv(i * 80, 160, 220));
            l.append(p);
        }
        return l;
    }();
    return list;
}

void fillLines(TLines& lines)
{
    lines.BeginUpdate();
    for (int i = 0; i < 48; ++i) {
        lines.Add(QStringLiteral("%1:%2").arg(i / 2).arg(i % 2 ? "30" : "00"));
    }
    lines.EndUpdate();
}

void fillItems(TCustomSked& sked, int count, quint32 seed)
{
    QRandomGenerator random(seed);
    sked.Items().BeginUpdate();
    for (int i = 0; i < count; ++i) {
        auto* item = new TSkedItem(&sked.Items());
        const int start = random.bounded(46);
        item->setStartLine(start);
        item->setEndLine(start + random.bounded(4));
        item->setText(texts.at(random.bounded(int(texts.size()))));
        item->setImageIndex(random.bounded(3) == 0 ? random.bounded(4) : -1);
        sked.Items().Add(item);
    }
    sked.Items().EndUpdate();
}

void columnLayoutAndRender(benchmark::State& state)
{
    TSked sked;
    fillLines(sked.Lines());
    sked.setImages(&images());
    sked.resize(300, 900);
    sked.show();
    fillItems(sked, 40, 7);
    QImage image(sked.size(), QImage::Format_ARGB32_Premultiplied);
    for (auto _ : state) {
        sked.RenderAll();
        sked.render(&image);
        benchmark::DoNotOptimize(image.constBits());
    }
    state.counters["rows"] = sked.RowCount();
}
BENCHMARK(columnLayoutAndRender)->Unit(benchmark::kMillisecond);

void sevenColumnControl(benchmark::State& state)
{
    TSkedControl control;
    fillLines(control.Lines());
    control.setImages(&images());
    control.setSkedCount(7);
    control.resize(1400, 900);
    control.show();
    control.BeginUpdate();
    for (int i = 0; i < 7; ++i) {
        fillItems(*control.Skeds(i), 40, 100 + i);
    }
    control.EndUpdate();
    QImage image(control.size(), QImage::Format_ARGB32_Premultiplied);
    for (auto _ : state) {
        for (int i = 0; i < control.SkedCount(); ++i) {
            control.Skeds(i)->RenderAll();
        }
        control.render(&image);
        benchmark::DoNotOptimize(image.constBits());
    }
}
BENCHMARK(sevenColumnControl)->Unit(benchmark::kMillisecond);

// A bulk refill of a week: what the main window does on every navigation.
void sevenColumnRefill(benchmark::State& state)
{
    TSkedControl control;
    fillLines(control.Lines());
    control.setSkedCount(7);
    control.resize(1400, 900);
    control.show();
    for (auto _ : state) {
        control.BeginUpdate();
        for (int i = 0; i < 7; ++i) {
            control.Skeds(i)->Items().Clear();
            fillItems(*control.Skeds(i), 40, 200 + i);
        }
        control.EndUpdate();
    }
}
BENCHMARK(sevenColumnRefill)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QFont::insertSubstitution(QString::fromUtf8("ＭＳ Ｐゴシック"), QStringLiteral("Noto Sans CJK JP"));
    QFont font(QString::fromUtf8("ＭＳ Ｐゴシック"));
    font.setPixelSize(13);
    QApplication::setFont(font);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
