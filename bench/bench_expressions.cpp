// Times the expression checks on a wide report: 10,000 operands over 1,000 columns
// (and as many labels). The checks must stay linear in the length of the text.
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
    return 0;
}
