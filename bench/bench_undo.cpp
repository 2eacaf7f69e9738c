// Memory and time of the undo history on synthetic reports of 2,000 and 10,000 objects
// (or the sizes given): 100 gestures of the usual kinds (one label moved, a column
// widened, twenty labels moved together, a label deleted), each closed as a step, then
// all undone and redone. Prints the bytes the steps hold, per step, beside the size of
// the one whole snapshot the history keeps, and the time of closing, undoing and
// redoing a step against the time of taking a snapshot alone, which any step costs.
//
//   build/bench/bench_undo [objects ...]
#include "columns/clsFieldsManager.h"
#include "designer/clsCanvasController.h"
#include "document/clsDocument.h"
#include "document/clsFormatHistory.h"
#include "labels/clsLabelManager.h"
#include "ranges/clsRangeManager.h"
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QStringList>
#include <algorithm>
#include <cstdio>
#include <vector>

namespace {
constexpr int kSteps = 100;

// About `objects` rows: 40 % columns, 10 % titles over them, 50 % labels.
void BuildReport(clsDocument& doc, int objects)
{
    clsRangeManager& ranges = *doc.RangeManager();
    clsFieldsManager& fields = *doc.FieldsManager();
    clsLabelManager& labels = *doc.LabelManager();
    fields.Cols.clear();
    fields.Titles.clear();
    labels.Labels.clear();
    const int cols = objects * 4 / 10;
    const int titles = objects / 10;
    const int labelCount = objects - cols - titles;
    for (int i = 0; i < cols; ++i) {
        auto c = std::make_unique<clsRepcol>();
        c->name = QStringLiteral("列") + QString::number(i + 1);
        c->Caption = c->name;
        c->Expression = QStringLiteral("f%1").arg(i + 1);
        c->StrFormat = QStringLiteral("#,0.00");
        c->Col = i + 1;
        c->Width = 800 + (i % 7) * 100;
        c->Height = 320;
        c->BlnEnable = true;
        c->blnVisible = true;
        fields.Cols.push_back(std::move(c));
    }
    for (int j = 0; j < titles; ++j) {
        auto t = std::make_unique<clsTitle>();
        t->name = QStringLiteral("标题%1").arg(j + 1);
        t->nameForeign = t->name;
        t->top = 1;
        t->Height = 1;
        t->left = j * (cols / titles) + 1;
        t->Width = cols / titles;
        t->blnVisible = true;
        fields.Titles.push_back(std::move(t));
    }
    std::vector<QString> targets;
    for (const auto& r : ranges.Ranges)
        if (!r->StrRangeType.contains(QStringLiteral("正文"))) {
            r->blnVisible = true;
            targets.push_back(r->StrName);
        }
    for (int i = 0; i < labelCount; ++i) {
        auto l = std::make_unique<clsLabel>();
        l->StrName = QStringLiteral("标签") + QString::number(i + 1);
        l->strSou = QStringLiteral("标签文字 %1").arg(i + 1);
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
    return v.empty() ? 0 : v[v.size() / 2];
}

void Run(int objects)
{
    clsDocument doc;
    doc.SetRunMode(true);
    doc.OpenDocument(nullptr, QStringLiteral("合成报表"), QStringLiteral("GL"), QStringLiteral("bench"));
    BuildReport(doc, objects);
    // As it would open: the records as the stored format has them.
    doc.EnsureLayout();
    doc.RestoreSnapshot(doc.TakeSnapshot());
    doc.ResetHistory();
    clsLabelManager& labels = *doc.LabelManager();
    clsCanvasController ctl;
    QElapsedTimer timer;

    std::vector<double> snapshot;
    for (int i = 0; i < 9; ++i) {
        timer.start();
        const clsFormatSnapshot s = doc.TakeSnapshot();
        snapshot.push_back(timer.nsecsElapsed() / 1e6);
    }
    // The gestures, each closed as the window closes it (the controller commits).
    std::vector<double> commit;
    int recorded = 0;
    for (int step = 0; step < kSteps; ++step) {
        ctl.EndSelection();
        const int n = int(labels.Labels.size());
        timer.start();
        switch (step % 4) {
        case 0:
            labels.SetSelectLabelObject(labels.Labels[size_t(step * 37 % n)]->StrName, true);
            ctl.MoveSelection(0, 50);
            break;
        case 1:
            doc.FieldsManager()->SetSelectedColObject(QStringLiteral("列%1").arg(step + 1), true);
            ctl.ResizeSelection(3, 100, 0);
            break;
        case 2:
            for (int k = 0; k < 20; ++k)
                labels.Labels[size_t((step * 53 + k * 11) % n)]->blnSelected = true;
            ctl.MoveSelection(10, 0);
            break;
        default:
            labels.SetSelectLabelObject(labels.Labels[size_t(step * 29 % n)]->StrName, true);
            ctl.DeleteSelection();
            break;
        }
        commit.push_back(timer.nsecsElapsed() / 1e6);
        recorded = doc.History().Count();
    }
    const qint64 stepBytes = doc.History().StepBytes();
    const qint64 whole = doc.History().Recorded().ApproximateSize();
    std::vector<double> undo, redo;
    for (int i = 0; i < recorded; ++i) {
        timer.start();
        if (!doc.Undo())
            break;
        undo.push_back(timer.nsecsElapsed() / 1e6);
    }
    for (int i = 0; i < recorded; ++i) {
        timer.start();
        if (!doc.Redo())
            break;
        redo.push_back(timer.nsecsElapsed() / 1e6);
    }
    const double snap = Median(snapshot);
    std::printf("%d objects (%zu rows), %d gestures, %d steps recorded:\n", objects, doc.TakeSnapshot().Rows.size(), kSteps,
                recorded);
    std::printf("  steps hold %lld bytes, %lld bytes a step; the one whole snapshot kept %lld bytes\n",
                static_cast<long long>(stepBytes), static_cast<long long>(recorded ? stepBytes / recorded : 0),
                static_cast<long long>(whole));
    std::printf("  history of 100 steps: %.1f MB\n", (stepBytes + whole) / 1048576.0);
    std::printf("  taking a snapshot %.2f ms; gesture with its step %.2f ms (%.1fx), undo %.2f ms (%.1fx), redo %.2f ms (%.1fx)\n",
                snap, Median(commit), Median(commit) / snap, Median(undo), Median(undo) / snap, Median(redo),
                Median(redo) / snap);
}
}

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    clsFormatHistory::SetStepLimit(0);
    std::vector<int> sizes;
    for (const QString& a : app.arguments().mid(1))
        if (a.toInt() > 0)
            sizes.push_back(a.toInt());
    if (sizes.empty())
        sizes = {2000, 10000};
    for (int n : sizes)
        Run(n);
    return 0;
}
