// Times the expression checks on a wide report: 10,000 operands over 1,000 columns
// (and as many labels). The checks must stay linear in the length of the text.
// Then the label cycle check on label graphs of growing size: a chain that closes into
// a cycle, and a lattice where every label refers to the two before it (each label is
// reached along exponentially many ways, so only a walk that visits each once is fast).
#include "columns/clsFieldsManager.h"
#include "document/clsDocument.h"
#include "document/clsPrompt.h"
#include "expressions/clsExpressionManager.h"
#include "labels/clsLabelManager.h"
#include <QElapsedTimer>
#include <QStringList>
#include <cstdio>

namespace {
class CountingPrompt : public clsPrompt
{
public:
    void Beep() override {}
    PromptAnswer Message(const QString&, PromptIcon, const QString&, PromptButtons) override
    {
        ++messages;
        return PromptAnswer::Ok;
    }
    int messages = 0;
};

template <typename F>
double BestOf(int rounds, F&& run)
{
    double best = 1e300;
    for (int i = 0; i < rounds; ++i) {
        QElapsedTimer timer;
        timer.start();
        run();
        best = std::min(best, double(timer.nsecsElapsed()) / 1e6);
    }
    return best;
}
}

int main()
{
    CountingPrompt prompt;
    clsPrompt::Install(&prompt);
    clsDocument doc;
    doc.SetRunMode(true);
    doc.OpenDocument(nullptr, QStringLiteral("某报表"), QStringLiteral("GL"), QStringLiteral("op"));
    doc.SetRunMode(false);
    if (!doc.FieldsManager() || !doc.LabelManager() || !doc.ExpressionManager()) {
        std::fprintf(stderr, "document without managers\n");
        return 1;
    }
    const int columns = 1000;
    const int operands = 10000;
    doc.LabelManager()->Labels.clear();
    for (int i = 0; i < columns; ++i) {
        auto col = std::make_unique<clsRepcol>();
        col->name = QStringLiteral("列%1").arg(i);
        col->Col = i + 1;
        doc.FieldsManager()->Cols.push_back(std::move(col));
        auto label = std::make_unique<clsLabel>();
        label->StrName = QStringLiteral("标签%1").arg(i);
        doc.LabelManager()->Labels.push_back(std::move(label));
    }
    QStringList colOps;
    QStringList labelOps;
    for (int i = 0; i < operands; ++i) {
        colOps.append(QStringLiteral("[列%1]").arg((i * 7919) % columns));
        labelOps.append(QStringLiteral("[标签%1]").arg((i * 7919) % columns));
    }
    const QString fieldText = QStringLiteral("[列0]=(") + colOps.join(QLatin1Char('+')) + QStringLiteral(")*100");
    const QString labelText = QStringLiteral("(") + labelOps.join(QLatin1Char('&')) + QStringLiteral(")");

    clsExpressionManager* checker = doc.ExpressionManager();
    bool ok = true;
    const double fieldMs = BestOf(5, [&] { ok = checker->CheckFieldExpression(fieldText) && ok; });
    const double labelMs = BestOf(5, [&] { ok = checker->CheckLabelExpression(labelText) && ok; });
    std::printf("column expression, %d operands over %d columns (%lld characters): %.2f ms\n", operands, columns,
                static_cast<long long>(fieldText.size()), fieldMs);
    std::printf("label expression, %d operands over %d labels (%lld characters): %.2f ms\n", operands, columns,
                static_cast<long long>(labelText.size()), labelMs);
    if (!ok || prompt.messages != 0) {
        std::fprintf(stderr, "a check refused the generated expression\n");
        return 1;
    }

    clsLabelManager* labels = doc.LabelManager();
    for (const int n : {1000, 10000, 100000}) {
        for (const bool lattice : {false, true}) {
            labels->Labels.clear();
            for (int i = 0; i <= n; ++i) {
                auto label = std::make_unique<clsLabel>();
                label->StrName = QStringLiteral("L%1").arg(i);
                label->StrDataSouType = QStringLiteral("表达式");
                label->strSou = i == 0 ? QStringLiteral("1")
                    : lattice && i > 1 ? QStringLiteral("[L%1]+[L%2]").arg(i - 1).arg(i - 2)
                                       : QStringLiteral("[L%1]*2").arg(i - 1);
                labels->Labels.push_back(std::move(label));
            }
            // The chain closes when L0 refers to the last label; the lattice has no cycle
            // for a new label on top of it.
            const clsLabel& edited = lattice ? *labels->Labels.back() : *labels->Labels.front();
            const QString text = lattice ? QStringLiteral("[L%1]+[L%2]").arg(n - 1).arg(n - 2) : QStringLiteral("[L%1]").arg(n);
            qsizetype found = 0;
            const double ms = BestOf(3, [&] { found = labels->LabelCycle(edited, edited.StrName, QStringLiteral("表达式"), text).size(); });
            std::printf("label cycle check, %s of %d labels: %.2f ms (%.3f us a label)%s\n", lattice ? "lattice" : "chain", n,
                        ms, ms * 1000.0 / n, found ? ", cycle found" : "");
            if ((found != 0) == lattice) {
                std::fprintf(stderr, "the cycle check answered wrongly\n");
                return 1;
            }
        }
    }
    return 0;
}
