#include "modPublicDefine.h"
#include "clsConnection.h"
#include "clsDatabaseError.h"
#include <QCoreApplication>
#include <QSettings>
#include <algorithm>
#include <cmath>
#include <limits>
#include <stdexcept>

clsDocument* g_objDocument = nullptr;
bool g_blnRunMode = false;

namespace {
QString g_strHelpFile;
}

QString AddBackslash(const QString& path)
{
    if (path.endsWith(QLatin1Char('\\')))
        return path;
    return path + QLatin1Char('\\');
}

QString CutAtNul(const QString& text)
{
    const int at = text.indexOf(QChar(0));
    return at < 0 ? text : text.left(at);
}

// What the installation wrote, read once: every open asks, and it does not change
// while the program runs.
static QString InstalledHelpPath()
{
    QSettings settings(QSettings::NativeFormat, QSettings::SystemScope, QStringLiteral("Norvane"), QStringLiteral("WF"));
    // The installation writes the same key the suite has always used.
    const QString path = CutAtNul(settings.value(QStringLiteral("V8.520/install/CurrentInstPath/Default")).toString()).trimmed();
    return path.isEmpty() ? QString() : AddBackslash(path) + QStringLiteral("help\\");
}

QString GetHelpPath()
{
    QString path = qEnvironmentVariable("QXRF_HELP_PATH");
    if (path.isEmpty()) {
        static const QString installed = InstalledHelpPath();
        if (!installed.isEmpty())
            return installed;
    } else {
        path = CutAtNul(path).trimmed();
        if (!path.isEmpty())
            return path.endsWith(QLatin1Char('/')) || path.endsWith(QLatin1Char('\\')) ? path : path + QLatin1Char('/');
    }
    if (!QCoreApplication::instance())
        return QStringLiteral("./");
    static const QString own = QCoreApplication::applicationDirPath() + QLatin1Char('/');
    return own;
}

QString ApplicationHelpFile() { return g_strHelpFile; }
void SetApplicationHelpFile(const QString& path) { g_strHelpFile = path; }

const QStringList& AccountProbes()
{
    static const QStringList probes = {QStringLiteral("select * from fst00000 "),
                                       QStringLiteral("select top2  * from accinformation ")};
    return probes;
}

bool ProbeAccountDatabase(clsConnection* conn)
{
    // Whether each query would run is all that counts: an account database's tables
    // may hold any number of rows, and none of them is read.
    return conn && conn->Takes(AccountProbes()[0]) && !conn->Takes(AccountProbes()[1]);
}

qint32 MmToTwips(qint32 mm)
{
    const qint64 twips = qint64(mm) * 56;
    if (twips > std::numeric_limits<qint32>::max() || twips < std::numeric_limits<qint32>::min())
        throw std::overflow_error("溢出");
    return qint32(twips);
}

qint32 RoundHalfEven(double value)
{
    if (!std::isfinite(value) || value > 2147483647.5 || value < -2147483648.5)
        throw std::overflow_error("溢出");
    return qint32(std::nearbyint(value));  // default rounding mode: to nearest, ties to even
}

qint32 Clamp32(qint64 value)
{
    return qint32(std::clamp<qint64>(value, std::numeric_limits<qint32>::min(), std::numeric_limits<qint32>::max()));
}

qint32 TwipsToMm(qint32 twips)
{
    return RoundHalfEven(double(twips) / 56.0);
}

double CDbl(const QVariant& value)
{
    if (value.isNull())
        return 0;
    switch (value.typeId()) {
    case QMetaType::Bool:
        return value.toBool() ? -1 : 0;
    case QMetaType::Int: case QMetaType::UInt: case QMetaType::LongLong: case QMetaType::ULongLong:
    case QMetaType::Double: case QMetaType::Float: case QMetaType::Short: case QMetaType::UShort:
    case QMetaType::Long: case QMetaType::ULong:
        return value.toDouble();
    default:
        break;
    }
    const QString text = value.toString().trimmed();
    if (text.isEmpty())
        return 0;
    bool ok = false;
    const double d = text.toDouble(&ok);
    if (!ok) {
        if (text.compare(QLatin1String("True"), Qt::CaseInsensitive) == 0)
            return -1;
        if (text.compare(QLatin1String("False"), Qt::CaseInsensitive) == 0)
            return 0;
        throw clsDatabaseError(QStringLiteral("类型不匹配: \"%1\"").arg(text));
    }
    return d;
}

qint32 CLng(const QVariant& value)
{
    if (value.isNull())
        return 0;
    if (value.typeId() == QMetaType::Int)
        return value.toInt();
    if (value.typeId() == QMetaType::LongLong) {
        const qint64 v = value.toLongLong();
        if (v > std::numeric_limits<qint32>::max() || v < std::numeric_limits<qint32>::min())
            throw clsDatabaseError(QStringLiteral("溢出"));
        return qint32(v);
    }
    try {
        return RoundHalfEven(CDbl(value));
    } catch (const std::overflow_error&) {
        throw clsDatabaseError(QStringLiteral("溢出"));
    }
}

bool CBool(const QVariant& value)
{
    if (value.isNull())
        return false;
    if (value.typeId() == QMetaType::Bool)
        return value.toBool();
    return CDbl(value) != 0;
}

qint32 ToLong(const QString& text, bool* ok)
{
    try {
        const qint32 v = CLng(QVariant(text));
        if (ok)
            *ok = true;
        return v;
    } catch (const clsDatabaseError&) {
        if (ok)
            *ok = false;
        return 0;
    }
}

bool SameText(const QString& a, const QString& b)
{
    return a.compare(b, Qt::CaseInsensitive) == 0;
}

bool IsPlainName(const QString& name)
{
    if (name.isEmpty() || name.front() == QLatin1Char(' ') || name.back() == QLatin1Char(' '))
        return false;
    for (const QChar c : name) {
        const char16_t u = c.unicode();
        if (u < 0x80 ? u < ' ' || (u >= 'A' && u <= 'Z') : u < 0x3400 || u >= 0xA000)
            return false;
    }
    return true;
}

QString SqlQuote(const QString& text)
{
    QString quoted = text;
    quoted.replace(QLatin1Char('\''), QLatin1String("''"));
    return quoted;
}

QString MessageTitle()
{
    return QStringLiteral("格式");
}

void ShowMessage(const QString& text, PromptIcon icon, const QString& title)
{
    clsPrompt& prompt = clsPrompt::Current();
    prompt.Beep();
    prompt.Message(text, icon, title.isEmpty() ? MessageTitle() : title, PromptButtons::Ok);
}

bool AskYesNo(const QString& text, const QString& title)
{
    clsPrompt& prompt = clsPrompt::Current();
    prompt.Beep();
    return prompt.Message(text, PromptIcon::Question, title.isEmpty() ? MessageTitle() : title,
                          PromptButtons::YesNo) == PromptAnswer::Yes;
}

PromptAnswer AskYesNoCancel(const QString& text, const QString& title)
{
    clsPrompt& prompt = clsPrompt::Current();
    prompt.Beep();
    return prompt.Message(text, PromptIcon::Question, title.isEmpty() ? MessageTitle() : title,
                          PromptButtons::YesNoCancel);
}

void ReportError(const QString& description, const QString& module, const QString& routine, PromptIcon icon)
{
    if (g_blnRunMode)
        return;
    const QString text = description + QStringLiteral("\r\n") + QStringLiteral("错误位于模块：") + module
        + QLatin1Char('.') + routine;
    clsPrompt::Current().Message(text, icon, MessageTitle(), PromptButtons::Ok);
}

void ReportException(const std::exception& error, const QString& module, const QString& routine, PromptIcon icon)
{
    QString description;
    if (const auto* db = dynamic_cast<const clsDatabaseError*>(&error))
        description = db->Description();
    else
        description = QString::fromUtf8(error.what());
    ReportError(description, module, routine, icon);
}

#include "clsDocument.h"

clsConnection* DocumentConnection()
{
    return g_objDocument ? g_objDocument->m_AdoConn : nullptr;
}

clsRangeManager* DocumentRanges()
{
    return g_objDocument ? g_objDocument->RangeManager() : nullptr;
}

clsLabelManager* DocumentLabels()
{
    return g_objDocument ? g_objDocument->LabelManager() : nullptr;
}

clsFieldsManager* DocumentFields()
{
    return g_objDocument ? g_objDocument->FieldsManager() : nullptr;
}

clsFunctionManager* DocumentFunctions()
{
    return g_objDocument ? g_objDocument->FunctionManager() : nullptr;
}

clsExpressionManager* DocumentExpressions()
{
    return g_objDocument ? g_objDocument->ExpressionManager() : nullptr;
}

clsPropertysManager* DocumentPropertys()
{
    return g_objDocument ? g_objDocument->PropertysManager() : nullptr;
}

clsCanvasScene* DocumentScene()
{
    return g_objDocument ? g_objDocument->Scene() : nullptr;
}

void MarkDocChanged()
{
    if (g_objDocument) {
        g_objDocument->SetDocChanged(true);
        g_objDocument->MarkLayoutDirty();
    }
}

bool CommitDocumentStep(const QString& text)
{
    return g_objDocument && g_objDocument->CommitStep(text);
}

void MarkLayoutDirty()
{
    if (g_objDocument)
        g_objDocument->MarkLayoutDirty();
}

void EnsureDocumentLayout()
{
    if (g_objDocument)
        g_objDocument->EnsureLayout();
}
