// Feeds arbitrary text to the column and label expression checks, the formula check,
// the server-form reader and the built-in function servers. Nothing may crash or hang,
// and a check that refuses a text tells the user once at most.
#include "columns/clsFieldsManager.h"
#include "document/clsComponentRegistry.h"
#include "document/clsDocument.h"
#include "document/clsPrompt.h"
#include "document/modPublicDefine.h"
#include "expressions/clsExpressionManager.h"
#include "expressions/clsFunctionManager.h"
#include "labels/clsLabelManager.h"
#include "plugins/servers/modFunctionServers.h"
#include <QString>
#include <cstdint>
#include <cstdio>
#include <cstdlib>

namespace {
class SilentPrompt : public clsPrompt
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

struct Fixture
{
    SilentPrompt prompt;
    clsDocument doc;

    Fixture()
    {
        clsPrompt::Install(&prompt);
        // Without a connection the open finds nothing but, in RunMode, still creates
        // every manager.
        doc.SetRunMode(true);
        doc.OpenDocument(nullptr, QStringLiteral("某报表"), QStringLiteral("GL"), QStringLiteral("op"));
        doc.SetRunMode(false);
        if (!doc.FieldsManager() || !doc.LabelManager() || !doc.FunctionManager()) {
            std::fprintf(stderr, "document without managers\n");
            std::abort();
        }
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
        clsFunctionManager* fm = doc.FunctionManager();
        auto f = std::make_unique<clsFunction>();
        f->StrName = QStringLiteral("COLSUM");
        for (int type = 0; type < 3; ++type) {
            clsPere p;
            p.StrName = QStringLiteral("p%1").arg(type);
            p.bNeedInput = type == 0;
            p.lngDataType = type;
            p.strRefType = type == 0 ? QStringLiteral("列集合") : QString();
            f->Peres.append(p);
        }
        fm->mFuncs.push_back(std::move(f));
        RegisterFunctionServers();
        doc.SetRunMode(true);
        fm->AnalyzerZ9Functions();
        doc.SetRunMode(false);
    }
};

Fixture& TheFixture()
{
    static Fixture fixture;
    return fixture;
}

void Check(bool condition, const char* what, const QString& text)
{
    if (!condition) {
        std::fprintf(stderr, "%s: %s\n", what, text.toUtf8().constData());
        std::abort();
    }
}
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    Fixture& fx = TheFixture();
    const QString text = QString::fromUtf8(reinterpret_cast<const char*>(data), qsizetype(size));
    clsExpressionManager* checker = fx.doc.ExpressionManager();
    clsFunctionManager* fm = fx.doc.FunctionManager();

    fx.prompt.messages = 0;
    const bool field = checker->CheckFieldExpression(text);
    Check(fx.prompt.messages == (field ? 0 : 1), "column expression messages", text);

    fx.prompt.messages = 0;
    const bool label = checker->CheckLabelExpression(text);
    Check(fx.prompt.messages == (label ? 0 : 1), "label expression messages", text);

    fx.prompt.messages = 0;
    fm->CheckFunction(text);
    Check(fx.prompt.messages <= 1, "formula messages", text);
    fm->CheckFunction(QStringLiteral("QC(") + text);
    fm->CheckFunction(QStringLiteral("GZHJ(") + text);
    fm->CheckFunction(QStringLiteral("COLSUM(") + text);

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
    if (argc > 1) {
        for (int i = 1; i < argc; ++i) {
            QFile file(QString::fromLocal8Bit(argv[i]));
            if (!file.open(QIODevice::ReadOnly))
                continue;
            const QByteArray bytes = file.readAll();
            LLVMFuzzerTestOneInput(reinterpret_cast<const uint8_t*>(bytes.constData()), size_t(bytes.size()));
        }
        return 0;
    }
    const QByteArray alphabet = QByteArray("[]()+-*/&=,\"'%#|ab1.0 \r\n\tPREV_IIFSumAbsQCGZ") +
                                QStringLiteral("（）〈〉金额标题").toUtf8();
    const qint64 seconds = qEnvironmentVariableIntValue("QXRF_FUZZ_SECONDS") > 0
        ? qEnvironmentVariableIntValue("QXRF_FUZZ_SECONDS") : 3;
    QRandomGenerator rng(quint32(qEnvironmentVariableIntValue("QXRF_FUZZ_SEED")));
    QElapsedTimer timer;
    timer.start();
    long runs = 0;
    while (timer.elapsed() < seconds * 1000) {
        QByteArray input;
        const int len = int(rng.bounded(64));
        for (int i = 0; i < len; ++i)
            input.append(rng.bounded(8) == 0 ? char(rng.bounded(256)) : alphabet.at(int(rng.bounded(alphabet.size()))));
        LLVMFuzzerTestOneInput(reinterpret_cast<const uint8_t*>(input.constData()), size_t(input.size()));
        ++runs;
    }
    std::printf("%ld inputs, no failure\n", runs);
    return 0;
}
#endif
