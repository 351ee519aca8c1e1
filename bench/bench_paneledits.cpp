#include "LoadedCompassPlugin.h"
#include "TestHost.h"

#include <QLineEdit>

#include <benchmark/benchmark.h>

#include <memory>

using velmora::testing::LoadedCompassPlugin;
using velmora::testing::TestHost;

// What one finished edit costs in the panel, as the host runs it: the field's
// signal reaches the plugin's slot, which reads its form, converts through the
// host's services and writes the other five forms.

namespace {

struct Panel
{
    // The edit a user finishes in field, with text typed into it.
    void finish(const char* field, const QString& text)
    {
        auto* edit = plugin->find<QLineEdit>(field);
        edit->setText(text);
        edit->setModified(true);
        emit edit->editingFinished();
    }

    TestHost host;
    std::unique_ptr<LoadedCompassPlugin> plugin = std::make_unique<LoadedCompassPlugin>();
};

// Alternates between two texts so every iteration really recomputes.
void edit(benchmark::State& state, const char* field, const char* first, const char* second)
{
    Panel panel;
    bool flip = false;
    for (auto _ : state) {
        panel.finish(field, QString::fromLatin1(flip ? first : second));
        flip = !flip;
    }
}

BENCHMARK_CAPTURE(edit, gdc, "gdcLatitudeTextBox", "46.85", "46.86");
BENCHMARK_CAPTURE(edit, dms, "latSecText", "12.5", "13.5");
BENCHMARK_CAPTURE(edit, gcc, "gccXTextBox", "-2304379.6", "-2304479.6");
BENCHMARK_CAPTURE(edit, local, "localXTextBox", "100", "200");
BENCHMARK_CAPTURE(edit, utm, "utmEastingTextBox", "594656.8", "594756.8");
BENCHMARK_CAPTURE(edit, mgrs, "mgrsTextBox", "10TES9465679570", "10t es 94756 79570");
// A refused edit: the message is all that changes.
BENCHMARK_CAPTURE(edit, refusedLatitude, "gdcLatitudeTextBox", "200", "201");

void copyToClipboard(benchmark::State& state)
{
    Panel panel;
    QObject* plugin = panel.plugin->object();
    for (auto _ : state)
        QMetaObject::invokeMethod(plugin, "on_copyToClipboardButton_clicked");
}
BENCHMARK(copyToClipboard);

} // namespace
