// How long the HTML view takes to show a page, laid out in full and painted, or to refuse
// it: the high-score pages a server sends, the largest page of each kind the view accepts,
// and pages built to be as slow to lay out as a megabyte allows.
#include "htmlview/htmlview.h"
#include "tests/support/samplepages.h"

#include <QAbstractTextDocumentLayout>
#include <QApplication>
#include <QTextDocument>
#include <QWindow>
#include <benchmark/benchmark.h>

#include <algorithm>
#include <functional>
#include <string>

namespace {

using namespace samplepages;

void show(benchmark::State &state, THtmlView &view, const QString &page)
{
    for (auto _ : state) {
        state.PauseTiming();
        view.LoadHtmlText({});
        state.ResumeTiming();
        view.LoadHtmlText(page);
        benchmark::DoNotOptimize(view.document()->documentLayout()->documentSize());
        view.viewport()->repaint();
    }
}

void add(const std::string &name, THtmlView &view, const QString &page)
{
    benchmark::RegisterBenchmark(name.c_str(), show, std::ref(view), page)
        ->Unit(benchmark::kMillisecond)
        ->MinTime(0.2);
}

// Arabic words, which are laid out shaped, filling about `bytes` bytes of UTF-8.
QString arabicWords(int bytes)
{
    return QString::fromUtf8("لاعب ").repeated(std::max(1, bytes / 9));
}

// The kinds of page where shaping adds the most: text, and text tables deep.
std::vector<PageKind> shapedPageKinds()
{
    return {
        {"text eight tables deep", [](int n) { return nestedTables(8, arabicWords(n * 5)); }},
        {"text four tables deep", [](int n) { return nestedTables(4, arabicWords(n * 5)); }},
        {"plain text", [](int n) { return "<p>" + arabicWords(n * 5) + "</p>"; }},
    };
}

} // namespace

int main(int argc, char **argv)
{
    // Nothing is looked at: the offscreen platform paints the same without a display.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    THtmlView view("displayhtml");
    view.resize(479, 505);
    view.show();
    // Painting does nothing until the window is exposed.
    while (!view.windowHandle()->isExposed())
        app.processEvents(QEventLoop::WaitForMoreEvents);

    add("Shown/score page", view, scorePage(200));
    add("Shown/score page seven tables deep", view, scoresSevenTablesDeep());
    add("Shown/a word wider than the view", view, wideWord());
    for (const PageKind &kind : pageKinds()) {
        if (const int largest = largestAccepted(kind))
            add(std::string("Largest/") + kind.what, view, kind.page(largest));
    }
    add("Shaped/score page", view, scorePage(200, QString::fromUtf8("لاعب")));
    for (const PageKind &kind : shapedPageKinds()) {
        if (const int largest = largestAccepted(kind))
            add(std::string("Shaped/largest ") + kind.what, view, kind.page(largest));
    }
    for (const auto &[what, page] : heavyPages())
        add(std::string("Heavy/") + what, view, page);
    add("Heavy/nesting at the end of a megabyte", view, deepNestingAtTheEnd());

    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
}
