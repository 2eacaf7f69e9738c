// Time of one full layout pass of wide reports of N objects (500, 2,000 and 10,000 by
// default): four sevenths columns, one seventh composite titles in five levels, two
// sevenths labels spread over every range, and a grouping column (two group ranges)
// for every 200 columns. Laid out from the grid (as after opening) and again from the
// drawn arrangement (as after an edit); prints minimum and median of the runs and the
// time per object, which must not grow with N.
//
//   build/bench/bench_layout [--runs 9] [N ...]
#include "columns/clsFieldsManager.h"
#include "designer/clsCanvasScene.h"
#include "document/clsDocument.h"
#include "labels/clsLabelManager.h"
#include "ranges/clsRangeManager.h"
#include <QCoreApplication>
#include <QElapsedTimer>
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <vector>

namespace {
constexpr int kLevels = 5;

struct Shape
{
    int columns;
    int titlesPerLevel;
    int labels;
    int groups;
};

Shape ShapeOf(int n)
{
    Shape s;
    s.columns = std::max(kLevels * 2, n * 4 / 7);
    s.titlesPerLevel = std::max(1, n / 7 / kLevels);
    s.labels = std::max(1, n - s.columns - s.titlesPerLevel * kLevels);
    s.groups = std::max(1, s.columns / 200);
    return s;
}

void BuildReport(clsDocument& doc, const Shape& shape)
{
    const int kColumns = shape.columns;
    const int kTitlesPerLevel = shape.titlesPerLevel;
    const int kLabels = shape.labels;
    clsRangeManager& ranges = *doc.RangeManager();
    clsFieldsManager& fields = *doc.FieldsManager();
    clsLabelManager& labels = *doc.LabelManager();
    fields.Cols.clear();
    fields.Titles.clear();
    labels.Labels.clear();
    for (int i = 0; i < kColumns; ++i) {
        auto c = std::make_unique<clsRepcol>();
        c->name = QStringLiteral("列") + QString::number(i + 1);
        c->Col = i + 1;
        c->Width = 800 + (i % 7) * 100;
        c->TpyGroup = i < shape.groups ? 2 : 1;
        fields.Cols.push_back(std::move(c));
    }
    // Level k (1..5) holds 100 titles; each title of a level spans a run of columns.
    for (int level = 1; level <= kLevels; ++level) {
        const int span = std::max(1, kColumns / kTitlesPerLevel);
        for (int j = 0; j < kTitlesPerLevel; ++j) {
            auto t = std::make_unique<clsTitle>();
            t->name = QStringLiteral("标题%1_%2").arg(level).arg(j + 1);
            t->nameForeign = t->name;
            t->top = level;
            t->Height = 1;
            t->left = j * span + 1;
            t->Width = span;
            t->blnVisible = true;
            fields.Titles.push_back(std::move(t));
        }
    }
    // Group ranges for the grouping columns, labels spread over every range.
    for (int g = 0; g < shape.groups; ++g) {
        const QString col = fields.Cols[size_t(g)]->name;
        ranges.AddNewRange(QStringLiteral("[分组]") + col + QStringLiteral("_标题"), QStringLiteral("分组标题区"), col);
        ranges.AddNewRange(QStringLiteral("[分组]") + col + QStringLiteral("_脚注"), QStringLiteral("分组脚注区"), col);
    }
    for (const auto& r : ranges.Ranges)
        if (!r->StrRangeType.contains(QStringLiteral("正文")))
            r->blnVisible = true;
    std::vector<QString> targets;
    for (const auto& r : ranges.Ranges)
        if (!r->StrRangeType.contains(QStringLiteral("正文")))
            targets.push_back(r->StrName);
    for (int i = 0; i < kLabels; ++i) {
        auto l = std::make_unique<clsLabel>();
        l->StrName = QStringLiteral("标签") + QString::number(i + 1);
        l->strRang = targets[size_t(i) % targets.size()];
        l->left = (i % 20) * 1100;
        l->top = (i / 20 % 3) * 300;
        l->Width = 1000;
        l->Height = 300;
        labels.Labels.push_back(std::move(l));
    }
}

double Median(std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

double Min(const std::vector<double>& v)
{
    return *std::min_element(v.begin(), v.end());
}

struct Result
{
    int objects = 0;
    double perObjectUs = 0;       // the same pass repeated: small reports stay in the caches
    double perObjectColdUs = 0;   // after other work: every size reads its records from memory
};

Result RunSize(int n, int runs)
{
    const Shape shape = ShapeOf(n);
    clsDocument doc;
    doc.SetRunMode(true);
    doc.OpenDocument(nullptr, QStringLiteral("宽报表"), QStringLiteral("GL"), QStringLiteral("bench"));
    if (!doc.RangeManager() || !doc.FieldsManager() || !doc.LabelManager()) {
        std::fprintf(stderr, "managers were not created\n");
        std::exit(1);
    }
    BuildReport(doc, shape);
    clsRangeManager& ranges = *doc.RangeManager();
    ranges.DrawBackView();

    std::vector<double> fromGrid;
    std::vector<double> fromDrawn;
    std::vector<double> redraw;
    std::vector<double> afterOther;
    QElapsedTimer timer;
    // Other work between passes, as the designer paints and handles events between
    // edits: 32 MB touched, so the pass finds none of its records in the caches.
    static std::vector<char> other(32 << 20);
    for (int run = 0; run < runs; ++run) {
        for (const auto& t : doc.FieldsManager()->Titles)
            t->X = t->Y = t->cx = t->cy = 0;
        for (size_t i = 0; i < other.size(); i += 64)
            other[i] = char(other[i] + 1);
        timer.start();
        ranges.DrawAllObjects();
        afterOther.push_back(timer.nsecsElapsed() / 1e6);
        for (const auto& t : doc.FieldsManager()->Titles)
            t->X = t->Y = t->cx = t->cy = 0;
        timer.start();
        ranges.DrawAllObjects();
        fromGrid.push_back(timer.nsecsElapsed() / 1e6);
        timer.start();
        ranges.DrawAllObjects();
        fromDrawn.push_back(timer.nsecsElapsed() / 1e6);
        timer.start();
        ranges.ReDrawAllRangesAndObject();
        redraw.push_back(timer.nsecsElapsed() / 1e6);
    }
    const clsCanvasScene& scene = *doc.Scene();
    const int objects = int(shape.columns + shape.titlesPerLevel * kLevels + shape.labels);
    std::printf("N=%d: %d columns, %d titles in %d levels, %d labels, %d ranges; %d runs\n", n, shape.columns,
                shape.titlesPerLevel * kLevels, kLevels, shape.labels, int(ranges.Ranges.size()), runs);
    std::printf("  full redraw, titles from the grid:    min %8.2f  median %8.2f ms\n", Min(fromGrid), Median(fromGrid));
    std::printf("  full redraw, titles as drawn:         min %8.2f  median %8.2f ms\n", Min(fromDrawn), Median(fromDrawn));
    std::printf("  redraw after showing/hiding a range:  min %8.2f  median %8.2f ms\n", Min(redraw), Median(redraw));
    std::printf("  full redraw after other work (cold):  min %8.2f  median %8.2f ms\n", Min(afterOther), Median(afterOther));
    std::printf("  elements: %d strips, %d labels, %d columns, %d titles; surface %d x %d twips\n",
                scene.Count(clsCanvasScene::Kind::Strip), scene.Count(clsCanvasScene::Kind::Label),
                scene.Count(clsCanvasScene::Kind::Column), scene.Count(clsCanvasScene::Kind::Title),
                scene.picDraw.width, scene.picDraw.height);
    // Minimum of the runs: the machine is shared, and the least disturbed run is the pass itself.
    const double perObject = Min(fromGrid) * 1000.0 / objects;
    const double perObjectCold = Min(afterOther) * 1000.0 / objects;
    std::printf("  per object: %.3f us repeated, %.3f us after other work\n", perObject, perObjectCold);
    return {objects, perObject, perObjectCold};
}
}

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    QStringList args = app.arguments().mid(1);
    int runs = 9;
    const int runsAt = args.indexOf(QStringLiteral("--runs"));
    if (runsAt >= 0 && runsAt + 1 < args.size()) {
        runs = std::max(1, args[runsAt + 1].toInt());
        args.remove(runsAt, 2);
    }
    std::vector<int> sizes;
    for (const QString& a : args)
        sizes.push_back(a.toInt());
    if (sizes.empty())
        sizes = {500, 2000, 10000};
    std::vector<Result> results;
    for (int n : sizes)
        results.push_back(RunSize(n, runs));
    for (const Result& r : results)
        std::printf("per object at %6d objects: repeated %7.3f us (%.2fx the first size), after other work %7.3f us (%.2fx)\n",
                    r.objects, r.perObjectUs, r.perObjectUs / results.front().perObjectUs, r.perObjectColdUs,
                    r.perObjectColdUs / results.front().perObjectColdUs);
    return 0;
}
