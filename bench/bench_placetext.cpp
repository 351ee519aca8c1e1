#include "PastedPlace.h"
#include "PlaceFormats.h"

#include <benchmark/benchmark.h>

#include <QStringList>

namespace {

using namespace velmora::plugin::compass_widget;

// A mix of what users paste, refusals included; one text per iteration, in
// turn, so the time is the mean per input.
const QStringList& pastedTexts()
{
    static const QStringList texts{
        QString::fromUtf8("46°51'10.4\"N 121°45'37.4\"W"),
        QStringLiteral("46.8529, -121.7604"),
        QStringLiteral("-121.7604 46.8529"),
        QStringLiteral("N 46 51.173 W 121 45.624"),
        QStringLiteral("46d51m10.4sN 121d45m37.4sW"),
        QStringLiteral("46:51:10.4 -121:45:37.4"),
        QStringLiteral("Lat: 46.8529, Lon: -121.7604"),
        QStringLiteral("10T 594835 5189196"),
        QStringLiteral("10 n 594835E 5189196N"),
        QStringLiteral("10TES9450789496"),
        QStringLiteral("10t es 94507 89496"),
        QStringLiteral("geo:46.8529,-121.7604,1500;u=35"),
        QStringLiteral("{\"type\":\"Point\",\"coordinates\":[-121.7604,46.8529,1500]}"),
        QStringLiteral("POINT Z (-121.7604 46.8529 1500)"),
        QStringLiteral("<Point><coordinates>-121.7604,46.8529,1500</coordinates></Point>"),
        QStringLiteral("46, 200"),
        QStringLiteral("33TAA1234512345"),
        QStringLiteral("hello world"),
    };
    return texts;
}

void readPasted(benchmark::State& state)
{
    const QStringList& texts = pastedTexts();
    int i = 0;
    for (auto _ : state) {
        PastedPlace place = readPastedPlace(texts[i]);
        benchmark::DoNotOptimize(place);
        i = (i + 1) % texts.size();
    }
}
BENCHMARK(readPasted);

// Each copy format of one place; the argument is the format.
void copyText(benchmark::State& state)
{
    const auto format = static_cast<CopyFormat>(state.range(0));
    double latitude = 46.8529;
    for (auto _ : state) {
        QString text = placeText(format, latitude, -121.7604, 1500.0);
        benchmark::DoNotOptimize(text);
        latitude += 1e-9;
    }
}
BENCHMARK(copyText)->DenseRange(0, static_cast<int>(copyFormatChoices.size()) - 1);

} // namespace
