#include "clsFormatCheck.h"
#include "clsConnection.h"
#include "clsDocument.h"
#include "clsScopedPrompt.h"
#include "modPublicDefine.h"
#include "columns/clsFieldsManager.h"
#include "expressions/clsExpressionManager.h"
#include "expressions/clsFunctionManager.h"
#include "labels/clsLabelManager.h"
#include "ranges/clsRangeManager.h"
#include <QHash>
#include <QSet>
#include <algorithm>

namespace {
const QString kReportObject = QStringLiteral("报表");
constexpr qint64 kTitleRowsLooked = 64;   // the level check refuses far fewer; this bounds the grid walk

QString OneLine(QString text)
{
    text.replace(QStringLiteral("\r\n"), QStringLiteral(" "));
    text.replace(QLatin1Char('\n'), QLatin1Char(' '));
    text.replace(QLatin1Char('\r'), QLatin1Char(' '));
    return text;
}

QString ObjectOf(const QString& kind, const QString& name)
{
    return name.trimmed().isEmpty() ? kind : kind + QLatin1Char(' ') + name.trimmed();
}
}

// While a report is checked: messages are collected instead of shown, no designer
// window is reached, errors are not silenced, and whatever document the host had open
// is its current document again afterwards.
class clsFormatCheck::Session : public clsScopedPrompt
{
public:
    Session()
        : m_provider(clsDocument::SetDesignerProvider({})),
          m_document(g_objDocument),
          m_runMode(g_blnRunMode)
    {
        g_blnRunMode = false;
    }
    ~Session() override
    {
        g_blnRunMode = m_runMode;
        g_objDocument = m_document;
        clsDocument::SetDesignerProvider(std::move(m_provider));
    }
    Session(const Session&) = delete;
    Session& operator=(const Session&) = delete;

    void Beep() override {}
    PromptAnswer Message(const QString& text, PromptIcon, const QString&, PromptButtons buttons) override
    {
        m_texts.append(text);
        return Unasked(buttons);
    }
    QStringList Take()
    {
        QStringList texts;
        texts.swap(m_texts);
        return texts;
    }

private:
    std::function<clsDesignerView*()> m_provider;
    clsDocument* m_document;
    bool m_runMode;
    QStringList m_texts;
};

clsFormatCheck::clsFormatCheck(clsConnection& conn) : m_conn(conn) {}

clsFormatCheck::~clsFormatCheck()
{
    Session session;   // the document's destructor must not clear the host's current document
    m_doc.reset();
}

QString clsFormatCheck::Line(const Problem& problem)
{
    return problem.Report + QLatin1Char('\t') + problem.Object + QLatin1Char('\t') + problem.Text;
}

clsFormatCheck::Outcome clsFormatCheck::CheckReport(qint32 id, std::vector<Problem>& problems)
{
    Session session;
    clsRecordset rs = m_conn.Open(QStringLiteral("Select Name, SystemID From Rpt_GlbDEF Where ID = ?"), {id});
    if (rs.Eof())
        return Outcome::NotFound;
    const QVariant nameValue = rs.Value(QStringLiteral("Name"));
    const QVariant systemValue = rs.Value(QStringLiteral("SystemID"));
    rs.Close();
    const QString name = nameValue.isNull() ? QString() : nameValue.toString();
    const QString system = systemValue.isNull() ? QString() : systemValue.toString();
    const QString report = system.trimmed() + QLatin1Char('/') + name.trimmed();
    const auto collect = [&](const QString& object) {
        for (const QString& text : session.Take())
            problems.push_back({report, object, OneLine(text)});
    };

    if (!m_doc)
        m_doc = std::make_unique<clsDocument>();
    if (!m_doc->OpenDocument(&m_conn, name, system, QStringLiteral("check"))) {
        clsRecordset columns = m_conn.Open(
            QStringLiteral("Select count(*) as n From Rpt_FldDEF Where ID = ? and ModeEx = ?"), {id, FormatKind::Column});
        if (columns.Long(QStringLiteral("n")) == 0) {
            session.Take();
            return Outcome::NoColumns;
        }
        collect(kReportObject);
        return Outcome::Checked;
    }
    collect(kReportObject);
    if (m_doc->m_lngReportID != id) {
        // The lookup by name and subsystem found another catalogue row first.
        problems.push_back({report, kReportObject, QStringLiteral("报表名称重复...")});
        return Outcome::Checked;
    }
    CheckOpenFormat(report, session, problems);
    return Outcome::Checked;
}

void clsFormatCheck::CheckOpenFormat(const QString& report, Session& session, std::vector<Problem>& problems)
{
    clsFieldsManager& fields = *m_doc->FieldsManager();
    clsLabelManager& labels = *m_doc->LabelManager();
    clsRangeManager& ranges = *m_doc->RangeManager();
    clsExpressionManager& expressions = *m_doc->ExpressionManager();
    clsFunctionManager& functions = *m_doc->FunctionManager();
    const auto collect = [&](const QString& object) {
        for (const QString& text : session.Take())
            problems.push_back({report, object, OneLine(text)});
    };
    const auto say = [&](const QString& object, const QString& text) { problems.push_back({report, object, text}); };
    // Names are unique within a kind, compared trimmed and without regard to case; the
    // second holder of a name is the one reported.
    const auto names = [&](const QString& kind, const QStringList& list, const QString& empty, const QString& twice) {
        QSet<QString> seen;
        for (const QString& raw : list) {
            const QString name = raw.trimmed();
            if (name.isEmpty()) {
                if (!empty.isEmpty())
                    say(kind, empty);
            } else if (seen.contains(name.toCaseFolded())) {
                say(ObjectOf(kind, name), twice);
            } else {
                seen.insert(name.toCaseFolded());
            }
        }
    };

    // The designer's layout pass: the title level check works on where titles are drawn.
    ranges.DrawAllObjects();
    collect(kReportObject);

    QStringList columnNames;
    for (const auto& col : fields.Cols)
        columnNames << col->name;
    names(QStringLiteral("列"), columnNames, QStringLiteral("列名必须输入..."), QStringLiteral("列名不能重复..."));
    for (const auto& col : fields.Cols) {
        const QString object = ObjectOf(QStringLiteral("列"), col->name);
        fields.CheckColBeforeSave(*col);
        if (!col->StrCondition.trimmed().isEmpty())
            expressions.CheckFieldExpression(col->StrCondition.trimmed());
        collect(object);
    }

    QStringList titleNames;
    for (const auto& t : fields.Titles)
        if (!t->blnDelected)
            titleNames << t->name;
    names(QStringLiteral("标题"), titleNames, QStringLiteral("必须输入标题名..."), QStringLiteral("列标题名称不能重复..."));
    fields.CheckTitleLevels();
    collect(QStringLiteral("标题"));
    // Two titles on one cell of the grid (rows from the top, enabled columns by number).
    qint64 enabled = 0;
    for (const auto& col : fields.Cols)
        enabled += col->BlnEnable ? 1 : 0;
    QHash<qint64, const clsTitle*> cells;
    QSet<QPair<const clsTitle*, const clsTitle*>> reported;
    for (const auto& t : fields.Titles) {
        if (t->blnDelected)
            continue;
        const qint64 rowEnd = std::min<qint64>(qint64(t->top) + t->Height - 1, kTitleRowsLooked);
        const qint64 colEnd = std::min<qint64>(qint64(t->left) + t->Width - 1, enabled);
        for (qint64 r = std::max<qint64>(t->top, 1); r <= rowEnd; ++r) {
            for (qint64 c = std::max<qint64>(t->left, 1); c <= colEnd; ++c) {
                const clsTitle*& holder = cells[r * (enabled + 1) + c];
                if (!holder) {
                    holder = t.get();
                } else if (!reported.contains({holder, t.get()})) {
                    reported.insert({holder, t.get()});
                    say(ObjectOf(QStringLiteral("标题"), t->name),
                        QStringLiteral("标题（%1）与标题（%2）重叠...").arg(t->name.trimmed(), holder->name.trimmed()));
                }
            }
        }
    }

    QStringList rangeNames;
    for (const auto& r : ranges.Ranges)
        rangeNames << r->StrName;
    names(QStringLiteral("区域"), rangeNames, QString(), QStringLiteral("区域名称不能相同..."));

    QStringList labelNames;
    for (const auto& l : labels.Labels)
        if (!l->blnDeleted)
            labelNames << l->StrName;
    names(QStringLiteral("标签"), labelNames, QStringLiteral("必须有标签名称..."), QStringLiteral("标签名称重复..."));
    // Labels grouped by range, the groups in the order their first label comes.
    QHash<QString, size_t> groupOf;
    std::vector<std::vector<const clsLabel*>> groups;
    for (const auto& item : labels.Labels) {
        const clsLabel& l = *item;
        if (l.blnDeleted)
            continue;
        const QString object = ObjectOf(QStringLiteral("标签"), l.StrName);
        const clsRange* range = ranges.FindRange(l.strRang);
        if (!range)
            say(object, QStringLiteral("所属区域（%1）不存在...").arg(l.strRang.trimmed()));
        else if (SameText(range->StrRangeType.trimmed(), QStringLiteral("正文区")))
            say(object, l.strRang + QStringLiteral("中不能画标签对象..."));
        const QString source = l.strSou.trimmed();
        if (SameText(l.StrDataSouType.trimmed(), QStringLiteral("表达式"))) {
            expressions.CheckLabelExpression(source);
        } else if (SameText(l.StrDataSouType.trimmed(), QStringLiteral("公式"))) {
            // Looked up first: that reads the service functions when the name is none
            // of the catalogue's own, so the check sees what the function picker offers.
            const clsFunction* func = functions.GetFuncObject(source.section(QLatin1Char('('), 0, 0));
            if (functions.CheckFunction(source) && func && range)
                labels.SetLabelFunction(l.StrName, func, l.strSou);
        }
        collect(object);
        if (range && l.Width > 0 && l.Height > 0) {
            const QString key = range->StrName.trimmed().toCaseFolded();
            if (!groupOf.contains(key)) {
                groupOf.insert(key, groups.size());
                groups.emplace_back();
            }
            groups[groupOf.value(key)].push_back(&l);
        }
    }
    // Labels of one range whose boxes share area, found by a sweep from the left.
    for (std::vector<const clsLabel*>& list : groups) {
        std::stable_sort(list.begin(), list.end(), [](const clsLabel* a, const clsLabel* b) { return a->left < b->left; });
        for (size_t i = 0; i < list.size(); ++i) {
            const clsLabel& a = *list[i];
            for (size_t j = i + 1; j < list.size() && list[j]->left < qint64(a.left) + a.Width; ++j) {
                const clsLabel& b = *list[j];
                if (qint64(b.top) < qint64(a.top) + a.Height && qint64(a.top) < qint64(b.top) + b.Height)
                    say(ObjectOf(QStringLiteral("标签"), b.StrName),
                        QStringLiteral("标签（%1）与标签（%2）重叠...").arg(b.StrName.trimmed(), a.StrName.trimmed()));
            }
        }
    }
}
