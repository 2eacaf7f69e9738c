// Feeds arbitrary text to the column and label expression checks, the formula check,
// the server-form reader and the built-in function servers. Nothing may crash or hang,
// and a check that refuses a text tells the user once at most.
#include "clsRecordingPrompt.h"
#include "columns/clsFieldsManager.h"
#include "document/clsDocument.h"
#include "expressions/clsExpressionManager.h"
#include "expressions/clsFunctionManager.h"
#include "labels/clsLabelManager.h"
#include "plugins/servers/modFunctionServers.h"
#include <cstdint>
#include <cstdio>
#include <cstdlib>

namespace {
void Check(bool condition, const char* what, const QString& text)
{
    if (!condition) {
        std::fprintf(stderr, "%s: %s\n", what, text.toUtf8().constData());
        std::abort();
    }
}

struct Fixture
{
    clsRecordingPrompt prompt;
    clsDocument doc;

    Fixture()
    {
        // Without a connection the open finds nothing but, in RunMode, still creates
        // every manager; RunMode also keeps the classes without a server silent.
        doc.SetRunMode(true);
        doc.OpenDocument(nullptr, QStringLiteral("某报表"), QStringLiteral("GL"), QStringLiteral("op"));
        int n = 0;
        for (const char* name : {"a", "b", "金额", "PREV_a"}) {
            auto col = std::make_unique<clsRepcol>();
            col->name = QString::fromUtf8(name);
            col->Col = ++n;
            doc.FieldsManager()->Cols.push_back(std::move(col));
            auto label = std::make_unique<clsLabel>();
            label->StrName = QString::fromUtf8(name);
            doc.LabelManager()->Labels.push_back(std::move(label));
        }
        auto f = std::make_unique<clsFunction>();
        f->StrName = QStringLiteral("COLSUM");
        for (int type = 0; type < 3; ++type)
            f->Peres.append({QStringLiteral("p%1").arg(type), type == 0, QString(), type == 0 ? QStringLiteral("列集合") : QString(), type});
        doc.FunctionManager()->mFuncs.push_back(std::move(f));
        RegisterFunctionServers();
        doc.FunctionManager()->AnalyzerZ9Functions();
        doc.SetRunMode(false);
    }
};
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static Fixture fx;
    const QString text = QString::fromUtf8(reinterpret_cast<const char*>(data), qsizetype(size));
    clsExpressionManager* checker = fx.doc.ExpressionManager();
    clsFunctionManager* fm = fx.doc.FunctionManager();
    for (auto check : {&clsExpressionManager::CheckFieldExpression, &clsExpressionManager::CheckLabelExpression}) {
        fx.prompt.Clear();
        const bool accepted = (checker->*check)(text);
        Check(fx.prompt.messages.size() == (accepted ? 0 : 1), "expression messages", text);
    }
    fx.prompt.Clear();
    fm->CheckFunction(text);
    Check(fx.prompt.messages.size() <= 1, "formula messages", text);
    for (const char* call : {"QC(", "GZHJ(", "COLSUM("})
        fm->CheckFunction(QLatin1String(call) + text);

    clsFunction parsed;
    clsFunctionManager::ParseServerForm(text, parsed);
    for (const clsPere& p : parsed.Peres)
        Check(!p.StrName.isEmpty(), "nameless parameter", text);
    return 0;
}

#ifdef QXRF_FUZZ_STANDALONE
#include <QElapsedTimer>
#include <QFile>
#include <QRandomGenerator>

// Without libFuzzer: run the named files, or random texts for a few seconds.
int main(int argc, char** argv)
{
    const auto run = [](const QByteArray& bytes) {
        LLVMFuzzerTestOneInput(reinterpret_cast<const uint8_t*>(bytes.constData()), size_t(bytes.size()));
    };
    for (int i = 1; i < argc; ++i) {
        QFile file(QString::fromLocal8Bit(argv[i]));
        run(file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray());
    }
    if (argc > 1)
        return 0;
    const QByteArray alphabet = QByteArray("[]()+-*/&=,\"'%#|ab1.0 \r\n\tPREV_IIFSumAbsQCGZ") +
                                QStringLiteral("（）〈〉金额标题").toUtf8();
    const int seconds = qEnvironmentVariable("QXRF_FUZZ_SECONDS", QStringLiteral("3")).toInt();
    QRandomGenerator rng(quint32(qEnvironmentVariableIntValue("QXRF_FUZZ_SEED")));
    QElapsedTimer timer;
    timer.start();
    long runs = 0;
    for (; timer.elapsed() < seconds * 1000; ++runs) {
        QByteArray input;
        for (int i = int(rng.bounded(64)); i > 0; --i)
            input.append(rng.bounded(8) == 0 ? char(rng.bounded(256)) : alphabet.at(int(rng.bounded(alphabet.size()))));
        run(input);
    }
    std::printf("%ld inputs, no failure\n", runs);
    return 0;
}
#endif
