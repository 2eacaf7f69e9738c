// Time of one full layout pass of a wide report: 2,000 columns, 500 composite titles
// in five levels and 1,000 labels, laid out from the grid (as after opening) and
// again from the drawn arrangement (as after an edit). Prints the median of the runs.
#include "columns/clsFieldsManager.h"
#include "designer/clsCanvasScene.h"
#include "document/clsDocument.h"
#include "labels/clsLabelManager.h"
#include "ranges/clsRangeManager.h"
#include <QCoreApplication>
#include <QElapsedTimer>
#include <algorithm>
#include <cstdio>
#include <vector>

namespace {
constexpr int kColumns = 2000;
constexpr int kTitlesPerLevel = 100;
constexpr int kLevels = 5;
constexpr int kLabels = 1000;
constexpr int kRuns = 9;

void BuildReport(clsDocument& doc)
{
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
        c->TpyGroup = i < 3 ? 2 : 1;
        fields.Cols.push_back(std::move(c));
    }
    // Level k (1..5) holds 100 titles; each title of a level spans a run of columns.
    for (int level = 1; level <= kLevels; ++level) {
        const int span = kColumns / kTitlesPerLevel;
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
    // Group ranges for the three grouping columns, labels spread over every range.
    for (int g = 0; g < 3; ++g) {
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
}

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    clsDocument doc;
    doc.SetRunMode(true);
    doc.OpenDocument(nullptr, QStringLiteral("宽报表"), QStringLiteral("GL"), QStringLiteral("bench"));
    if (!doc.RangeManager() || !doc.FieldsManager() || !doc.LabelManager()) {
        std::fprintf(stderr, "managers were not created\n");
        return 1;
    }
    BuildReport(doc);
    clsRangeManager& ranges = *doc.RangeManager();
    ranges.DrawBackView();

    std::vector<double> fromGrid;
    std::vector<double> fromDrawn;
    std::vector<double> redraw;
    QElapsedTimer timer;
    for (int run = 0; run < kRuns; ++run) {
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
    std::printf("layout of %d columns, %d titles in %d levels, %d labels (%d ranges), median of %d runs:\n", kColumns,
                kTitlesPerLevel * kLevels, kLevels, kLabels, int(ranges.Ranges.size()), kRuns);
    std::printf("  full redraw, titles from the grid:    %8.2f ms\n", Median(fromGrid));
    std::printf("  full redraw, titles as drawn:         %8.2f ms\n", Median(fromDrawn));
    std::printf("  redraw after showing/hiding a range:  %8.2f ms\n", Median(redraw));
    std::printf("  elements: %d strips, %d labels, %d columns, %d titles; surface %d x %d twips\n",
                scene.Count(clsCanvasScene::Kind::Strip), scene.Count(clsCanvasScene::Kind::Label),
                scene.Count(clsCanvasScene::Kind::Column), scene.Count(clsCanvasScene::Kind::Title),
                scene.picDraw.width, scene.picDraw.height);
    return 0;
}
