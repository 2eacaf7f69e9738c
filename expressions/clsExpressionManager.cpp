#include "clsExpressionManager.h"
#include "columns/clsFieldsManager.h"
#include "document/clsDocument.h"
#include "document/modPublicDefine.h"
#include "labels/clsLabelManager.h"

namespace {
const QChar kFullOpen(0xFF08);   // （
const QChar kFullClose(0xFF09);  // ）

bool IsOperatorChar(QChar c)
{
    return c == QLatin1Char('+') || c == QLatin1Char('-') || c == QLatin1Char('*') || c == QLatin1Char('/')
        || c == QLatin1Char('&');
}

bool IsParenChar(QChar c)
{
    return c == QLatin1Char('(') || c == QLatin1Char(')') || c == kFullOpen || c == kFullClose;
}

bool IsLineBreak(QChar c)
{
    return c == QLatin1Char('\r') || c == QLatin1Char('\n');
}

// Characters that end a bare word; "&" and the other parentheses belong to the word.
bool StopsWord(QChar c)
{
    return c == QLatin1Char(' ') || c == QLatin1Char(')') || c == QLatin1Char('+') || c == QLatin1Char('-')
        || c == QLatin1Char('*') || c == QLatin1Char('/');
}

// The pairs that may not appear among the three most recent token classes.
const QStringList& RefusedPairs()
{
    static const QStringList pairs = {
        QStringLiteral("**"), QStringLiteral("@@"), QStringLiteral("()"), QStringLiteral("（）"),
        QStringLiteral("(@"), QStringLiteral("（@"), QStringLiteral("@)"), QStringLiteral("@）"),
        QStringLiteral("*("), QStringLiteral("*（"), QStringLiteral(")*"), QStringLiteral("）*"),
        QStringLiteral("[]"), QStringLiteral("(]"), QStringLiteral("[)"), QStringLiteral("（]"),
        QStringLiteral("[）"), QStringLiteral("[@"), QStringLiteral("@]"), QStringLiteral("]*"),
        QStringLiteral("*["),
    };
    return pairs;
}

QString Fold(const QString& text)
{
    return text.toCaseFolded();
}

// The column a PREV_ operand stands for: the text after the first "PREV_", trimmed.
QString DropPrevPrefix(const QString& operand)
{
    const int at = operand.indexOf(QLatin1String("PREV_"), 0, Qt::CaseInsensitive);
    if (at < 0)
        return operand;
    return operand.mid(at + 5).trimmed();
}
}

bool clsExpressionManager::NextToken(const QString& text, int& pos, Token& token, bool& ok, int& failAt)
{
    ok = true;
    const int n = text.size();
    while (pos < n && (text.at(pos) == QLatin1Char(' ') || IsLineBreak(text.at(pos))))
        ++pos;
    if (pos >= n)
        return false;

    const QChar c = text.at(pos);
    token.begin = pos;
    token.text.clear();
    if (IsOperatorChar(c) || IsParenChar(c)) {
        token.kind = IsOperatorChar(c) ? Token::Operator : Token::Paren;
        token.ch = c;
        token.end = ++pos;
        return true;
    }

    token.kind = Token::Name;
    token.ch = QChar();
    if (c == QLatin1Char('[')) {
        int i = pos + 1;
        for (; i < n; ++i) {
            const QChar d = text.at(i);
            if (d == QLatin1Char(']'))
                break;
            if (d == QLatin1Char('[')) {
                ok = false;
                failAt = pos;
                return false;
            }
            if (!IsLineBreak(d))
                token.text.append(d);
        }
        if (i >= n || token.text.trimmed().isEmpty()) {
            ok = false;
            failAt = pos;
            return false;
        }
        pos = i + 1;
        token.end = pos;
        return true;
    }

    int i = pos;
    for (; i < n; ++i) {
        const QChar d = text.at(i);
        if (StopsWord(d))
            break;
        if (d == QLatin1Char('[') || d == QLatin1Char(']')) {
            ok = false;
            failAt = pos;
            return false;
        }
        if (!IsLineBreak(d))
            token.text.append(d);
    }
    if (token.text.trimmed().isEmpty()) {
        ok = false;
        failAt = pos;
        return false;
    }
    pos = i;
    token.end = pos;
    return true;
}

bool clsExpressionManager::IsNumberOperand(const QString& operand)
{
    const QString t = operand.trimmed();
    bool digit = false;
    for (const QChar c : t) {
        if (c.isDigit()) {
            digit = true;
            break;
        }
    }
    if (!digit)  // "inf" and "nan" are words, not numbers
        return false;
    bool ok = false;
    t.toDouble(&ok);
    return ok;
}

void clsExpressionManager::ClearWindow()
{
    for (QString& entry : m_window)
        entry.clear();
}

bool clsExpressionManager::PushClass(const QString& cls)
{
    m_window[0] = m_window[1];
    m_window[1] = m_window[2];
    m_window[2] = cls;
    const QString joined = m_window[0] + m_window[1] + m_window[2];
    for (const QString& pair : RefusedPairs())
        if (joined.contains(pair))
            return false;
    return true;
}

bool clsExpressionManager::SequenceTest(const QString& text)
{
    const QString t = text.trimmed();
    if (t.isEmpty())
        return true;
    static const QString edgeChars = QStringLiteral("+*/&=");
    if (edgeChars.contains(t.front()) || edgeChars.contains(t.back())) {
        ShowMessage(QStringLiteral("公式错误:") + t);
        return false;
    }

    int pos = 0;
    Token token;
    bool ok = true;
    int failAt = 0;
    while (NextToken(t, pos, token, ok, failAt)) {
        QString cls;
        int shown = 0;  // how many characters of the text the message shows
        if (token.kind == Token::Operator) {
            cls = QStringLiteral("@");
            shown = token.begin + 1;
        } else if (token.kind == Token::Paren) {
            cls = QString(token.ch);
            shown = token.begin + 1;
        } else {
            cls = QStringLiteral("*");
            shown = token.end + 1;  // the character after the name is the last one shown
        }
        if (!PushClass(cls)) {
            ShowMessage(QStringLiteral("表达式输入错误:") + t.left(shown));
            return false;
        }
    }
    if (!ok) {
        ShowMessage(QStringLiteral("表达式输入错误:") + t.left(failAt + 1));
        return false;
    }
    return true;
}

bool clsExpressionManager::PrepareColumns()
{
    if (m_columnsReady)
        return true;
    clsFieldsManager* fields = DocumentFields();
    if (!fields)
        return false;
    m_columns.clear();
    m_columns.reserve(int(fields->Cols.size()));
    for (const auto& col : fields->Cols) {
        const QString key = Fold(col->name.trimmed());
        if (!m_columns.contains(key))  // the first column of a name answers, as GetCol does
            m_columns.insert(key, col->Col);
    }
    m_columnsReady = true;
    return true;
}

bool clsExpressionManager::PrepareLabels()
{
    if (m_labelsReady)
        return true;
    clsLabelManager* labels = DocumentLabels();
    if (!labels)
        return false;
    m_labels.clear();
    m_labels.reserve(int(labels->Labels.size()));
    for (const auto& label : labels->Labels)
        m_labels.insert(Fold(label->StrName));
    m_labelsReady = true;
    return true;
}

bool clsExpressionManager::ColumnExists(const QString& name) const
{
    return m_columns.value(Fold(name.trimmed()), -1) != -1;
}

bool clsExpressionManager::LabelExists(const QString& name) const
{
    return m_labels.contains(Fold(name.trimmed()));
}

bool clsExpressionManager::NameTest(const QString& text, Target target)
{
    const QString t = text.trimmed();
    if (t.isEmpty())
        return true;
    if (target == Target::Columns ? !PrepareColumns() : !PrepareLabels())
        return false;

    int pos = 0;
    Token token;
    bool ok = true;
    int failAt = 0;
    while (NextToken(t, pos, token, ok, failAt)) {
        if (token.kind != Token::Name || IsNumberOperand(token.text))
            continue;
        if (target == Target::Columns) {
            if (!ColumnExists(DropPrevPrefix(token.text))) {
                ShowMessage(QStringLiteral("表达式中定义的列名：") + token.text + QStringLiteral(" 不在报表列集合中"));
                return false;
            }
        } else if (!LabelExists(token.text)) {
            ShowMessage(QStringLiteral("表达式中定义的标签名：") + token.text + QStringLiteral(" 不在报表标签集合中"));
            return false;
        }
    }
    return true;
}

bool clsExpressionManager::ParenthesisCount(const QString& text)
{
    int open = 0;
    int close = 0;
    for (const QChar c : text) {
        if (c == QLatin1Char('(') || c == kFullOpen)
            ++open;
        else if (c == QLatin1Char(')') || c == kFullClose)
            ++close;
    }
    if (open != close) {
        ShowMessage(QStringLiteral("表达式错误：") + text);
        return false;
    }
    return true;
}

bool clsExpressionManager::ForbiddenCharTest(const QString& text)
{
    static const QString forbidden = QStringLiteral("%#'|,\"");
    for (const QChar c : text) {
        if (forbidden.contains(c)) {
            ShowMessage(QStringLiteral("不能输入特殊字符 ") + c);
            return false;
        }
    }
    return true;
}

bool clsExpressionManager::FieldAssignmentTest(const QString& text)
{
    const int eq = text.indexOf(QLatin1Char('='));
    if (eq < 0)
        return true;
    const QString target = text.left(eq).trimmed();
    if (target.isEmpty()) {
        ShowMessage(QStringLiteral("'=' 左面必须有列名..."));
        return false;
    }
    QString name = target;
    bool good = true;
    if (target.startsWith(QLatin1Char('['))) {
        if (target.size() < 2 || !target.endsWith(QLatin1Char(']')))
            good = false;
        else
            name = target.mid(1, target.size() - 2);
        if (name.trimmed().isEmpty())
            good = false;
    } else if (target.endsWith(QLatin1Char(']'))) {
        good = false;
    }
    if (good)
        good = PrepareColumns() && ColumnExists(name);
    if (!good) {
        ShowMessage(QStringLiteral("列名") + target + QStringLiteral(" 输入错误..."));
        return false;
    }
    return true;
}

bool clsExpressionManager::LabelAssignmentTest(const QString& text)
{
    if (text.contains(QLatin1Char('='))) {
        ShowMessage(QStringLiteral("标签表达式中不能有赋值运算符: '='"));
        return false;
    }
    return true;
}

bool clsExpressionManager::CheckFieldExpression(const QString& text)
{
    m_columnsReady = false;
    m_labelsReady = false;
    QString t = text;

    // Conditional and absolute-sum columns are whole forms the report engine evaluates
    // itself; their inner syntax is not this checker's business.
    if (t.contains(QLatin1String("IIF"), Qt::CaseInsensitive)) {
        QString s = t;
        s.remove(QLatin1Char(' '));
        const int open = s.indexOf(QLatin1Char('('));
        if (open >= 0) {
            const int c1 = s.indexOf(QLatin1Char(','), open + 1);
            const int c2 = c1 < 0 ? -1 : s.indexOf(QLatin1Char(','), c1 + 1);
            if (c2 >= 0) {
                const QString skeleton = s.left(open + 1) + s.at(c1) + s.at(c2) + s.back();
                if (skeleton.compare(QLatin1String("IIF(,,)"), Qt::CaseInsensitive) == 0)
                    return true;
            }
        }
    }
    if (t.contains(QLatin1String("SumAbs"), Qt::CaseInsensitive)) {
        QString s = t;
        s.remove(QLatin1Char(' '));
        const int open = s.indexOf(QLatin1Char('('));
        if (!s.isEmpty() && s.back() == QLatin1Char(')') && open >= 0 && open != s.size() - 1) {
            const QString skeleton = s.left(open + 1) + s.back();
            if (skeleton.compare(QLatin1String("SumAbs()"), Qt::CaseInsensitive) == 0)
                return true;
        }
    }

    ClearWindow();
    if (!FieldAssignmentTest(t))
        return false;
    if (!ForbiddenCharTest(t))
        return false;
    const int eq = t.indexOf(QLatin1Char('='));
    if (eq >= 0)
        t = t.mid(eq + 1).trimmed();
    return SequenceTest(t) && NameTest(t, Target::Columns) && ParenthesisCount(t);
}

bool clsExpressionManager::CheckLabelExpression(const QString& text)
{
    m_columnsReady = false;
    m_labelsReady = false;
    ClearWindow();
    return LabelAssignmentTest(text) && ForbiddenCharTest(text) && SequenceTest(text)
        && NameTest(text, Target::Labels) && ParenthesisCount(text);
}
