#include "clsDefinitionStore.h"
#include "clsConnection.h"
#include "clsDatabaseError.h"
#include "modPublicDefine.h"
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSqlDatabase>
#include <QSqlError>

QStringList clsDefinitionStore::SchemaStatements(bool postgres)
{
    const QString text = QStringLiteral("TEXT");
    const QString small = postgres ? QStringLiteral("SMALLINT") : QStringLiteral("INTEGER");
    return {
        QStringLiteral("CREATE TABLE Rpt_GlbDEF (ID INTEGER PRIMARY KEY, Name %1, SystemID %1, Note %1, "
                       "Relation %1, DatabaseEx %1, IsBaseTable INTEGER, Type INTEGER, Cols INTEGER)").arg(text),
        QStringLiteral("CREATE TABLE Rpt_FldDEF (ID INTEGER NOT NULL, ModeEx %2 NOT NULL, OrderEx INTEGER, "
                       "Name %1, nameForeign %1, FormatEx %1, Condition %1, iAlignStyle INTEGER, Note %1, "
                       "iColSize INTEGER, Expression %1, TopEx INTEGER, LeftEx INTEGER, Width INTEGER, "
                       "Height INTEGER, iSize INTEGER, Visible INTEGER)").arg(text, small),
        QStringLiteral("CREATE INDEX IX_Rpt_FldDEF_ID_ModeEx ON Rpt_FldDEF (ID, ModeEx, OrderEx)"),
        QStringLiteral("CREATE TABLE Rpt_FltDEF (id INTEGER NOT NULL, note %1, ModeEx INTEGER, location INTEGER)").arg(text),
        QStringLiteral("CREATE INDEX IX_Rpt_FltDEF_id ON Rpt_FltDEF (id, ModeEx)"),
        QStringLiteral("CREATE TABLE rpt_fundef (ID INTEGER PRIMARY KEY, cFunName %1, cFunDefine %1, "
                       "cGroupDefine %1, cLimitRange %1, bUserDefine INTEGER, blimited INTEGER, ifirst INTEGER, "
                       "cSystemID %1)").arg(text),
        QStringLiteral("CREATE TABLE rpt_funPere (id INTEGER NOT NULL, name %1, cDefault %1, cRefType %1, "
                       "cDataType INTEGER, bNeed INTEGER, OrderEX INTEGER)").arg(text),
        QStringLiteral("CREATE INDEX IX_rpt_funPere_id ON rpt_funPere (id, OrderEX)"),
    };
}

namespace {
const char* const kTables[] = {"Rpt_GlbDEF", "Rpt_FldDEF", "Rpt_FltDEF", "rpt_fundef", "rpt_funPere"};

// PostgreSQL lists the tables of every schema; only the connection's own schema counts.
// Either database folds the unquoted names the tables were created with.
bool TableExists(clsConnection& conn, const QString& name)
{
    clsRecordset rs = conn.IsPostgres()
        ? conn.Open(QStringLiteral("select count(*) as n from information_schema.tables "
                                   "where table_schema = current_schema() and table_name = ?"),
                    {name.toLower()})
        : conn.Open(QStringLiteral("select count(*) as n from sqlite_master where type = 'table' and lower(name) = ?"),
                    {name.toLower()});
    return rs.Long(QStringLiteral("n")) > 0;
}
}

QString clsDefinitionStore::MissingTable(clsConnection& conn)
{
    for (const char* table : kTables)
        if (!TableExists(conn, QString::fromLatin1(table)))
            return QString::fromLatin1(table);
    return QString();
}

bool clsDefinitionStore::HasSchema(clsConnection& conn)
{
    return MissingTable(conn).isEmpty();
}

void clsDefinitionStore::CreateSchema(clsConnection& conn)
{
    // An index belongs to the table created just before it: both are skipped together.
    bool skip = false;
    for (const QString& statement : SchemaStatements(conn.IsPostgres())) {
        if (statement.startsWith(QLatin1String("CREATE TABLE")))
            skip = TableExists(conn, statement.section(QLatin1Char(' '), 2, 2));
        if (!skip)
            conn.Execute(statement);
    }
}

namespace {
// Builds the demo rows; every value goes into its statement bound, like any other writer's.
class DemoWriter
{
public:
    explicit DemoWriter(clsConnection& conn) : m_conn(conn) {}

    void Report(int id, const QString& system, const QString& name, const QString& note, int isBase)
    {
        m_id = id;
        m_order = 0;
        m_conn.Execute(QStringLiteral("Insert into Rpt_GlbDEF (ID,Name,SystemID,Note,Relation,DatabaseEx,IsBaseTable,Type,Cols) "
                                      "values (?,?,?,?,'vimba','',?,1,0)"),
                       {id, name, system, note, isBase});
    }
    // name, field, width (twips), data type, format, align, sum-note, inter-column expression
    void Column(const QString& name, const QString& field, int width, int dtype, const QString& format = QString(),
                int align = 0, const QString& note = QString(), const QString& condition = QString(), bool enabled = true)
    {
        ++m_order;
        m_conn.Execute(QStringLiteral("Insert into Rpt_FldDEF (ID,Name,ModeEx,OrderEx,Expression,iColSize,FormatEx,"
                                      "iAlignStyle,Visible,Note,Condition,iSize,TopEx,Height) values "
                                      "(?,?,0,?,?,?,?,?,-1,?,?,?,?,320)"),
                       {m_id, name, m_order, field, width, format, align, note, condition, dtype, enabled ? 0 : 1});
    }
    void Title(const QString& name, const QString& caption, int top, int left, int width, int height)
    {
        m_conn.Execute(QStringLiteral("Insert into Rpt_FldDEF (ID,Name,nameForeign,ModeEx,TopEx,LeftEx,Width,Height,Visible) "
                                      "values (?,?,?,5,?,?,?,?,1)"),
                       {m_id, name, caption, top, left, width, height});
    }
    void Group(const QString& column, int order, int account)
    {
        m_conn.Execute(QStringLiteral("Insert into Rpt_FldDEF (ID,Name,nameForeign,ModeEx,OrderEx,iSize) "
                                      "values (?,?,?,3,?,?)"),
                       {m_id, column, column, order, account});
    }
    void Sum(const QString& column, int sum)
    {
        m_conn.Execute(QStringLiteral("Insert into Rpt_FldDEF (ID,Name,nameForeign,ModeEx,OrderEx) values (?,?,'',4,?)"),
                       {m_id, column, sum});
    }
    void HelpId(int helpId)
    {
        m_conn.Execute(QStringLiteral("Insert into Rpt_FldDEF (ID,ModeEx,OrderEx) values (?,22,?)"), {m_id, helpId});
    }
    void Range(int order, const QString& name, const QString& type, const QString& display, int height,
               const QString& groupField = QString(), int lines = 25, bool pageBreak = false)
    {
        m_conn.Execute(QStringLiteral("Insert into Rpt_FldDEF (ID,ModeEx,OrderEx,Name,nameForeign,FormatEx,Expression,"
                                      "iSize,iColSize,iAlignStyle,TopEx,LeftEx,Width,Height) values "
                                      "(?,25,?,?,?,?,?,?,?,350,0,0,0,?)"),
                       {m_id, order, name, groupField, display, type, lines, pageBreak ? 1 : 0, height});
    }
    void Label(int order, const QString& name, const QString& range, const QString& kind, const QString& source,
               int left, int top, int width, int height, int align = 0, const QString& group = QString(),
               const QString& font = QStringLiteral("False,134,False,宋体,9,False,False,400"),
               const QString& format = QString())
    {
        m_conn.Execute(QStringLiteral("Insert into Rpt_FldDEF (ID,ModeEx,OrderEx,Name,nameForeign,FormatEx,Condition,"
                                      "iAlignStyle,Note,iColSize,Expression,TopEx,LeftEx,Height,Width) values "
                                      "(?,26,?,?,?,'显示/打印',?,?,?,0,?,?,?,?,?)"),
                       {m_id, order, name, range, font, align, kind + QLatin1Char(';') + format + QLatin1Char(';') + group,
                        source, top, left, height, width});
    }
    void Print(int paper, int orientation, int top, int left, int right, int bottom, bool frame)
    {
        m_conn.Execute(QStringLiteral("Insert into Rpt_FldDEF (ID,ModeEx,Condition,iSize,OrderEx,TopEx,LeftEx,Width,Height,iColSize) "
                                      "values (?,27,'',?,?,?,?,?,?,?)"),
                       {m_id, paper, orientation, top, left, right, bottom, frame ? 1 : 0});
    }
    void Filter(int location, const QString& note)
    {
        m_conn.Execute(QStringLiteral("Insert into Rpt_FltDEF (id,note,ModeEx,location) values (?,?,1,?)"),
                       {m_id, note, location});
    }
    void StandardRanges(bool pageHeader, bool pageFooter, bool footer)
    {
        Range(1, QStringLiteral("标题区域"), QStringLiteral("标题区"), QStringLiteral("显示/打印"), 1000);
        Range(2, QStringLiteral("页标题区域"), QStringLiteral("页眉区"), pageHeader ? QStringLiteral("只打印") : QStringLiteral("隐含"), 600);
        Range(3, QStringLiteral("正文区域"), QStringLiteral("正文区"), QStringLiteral("显示/打印"), 2400);
        Range(4, QStringLiteral("页脚注区域"), QStringLiteral("页尾区"), pageFooter ? QStringLiteral("只打印") : QStringLiteral("隐含"), 600);
        Range(5, QStringLiteral("脚注区域"), QStringLiteral("脚注区"), footer ? QStringLiteral("显示/打印") : QStringLiteral("隐含"), 800);
    }
    void TitleLabel(int order)
    {
        Label(order, QStringLiteral("报表标题"), QStringLiteral("标题区域"), QStringLiteral("公式"),
              QStringLiteral("GetReportName()"), 2000, 100, 8000, 500, 2, QStringLiteral("系统内置公式"),
              QStringLiteral("True,134,False,宋体,15,False,False,800"));
    }

    void Function(int id, const QString& name, const QString& define, const QString& group, const QString& system,
                  bool user = false, bool limited = false, const QString& limitRange = QString(), int first = 0)
    {
        m_conn.Execute(QStringLiteral("Insert into rpt_fundef (ID,cFunName,cFunDefine,cGroupDefine,cLimitRange,bUserDefine,"
                                      "blimited,ifirst,cSystemID) values (?,?,?,?,?,?,?,?,?)"),
                       {id, name, define, group, limitRange, user ? 1 : 0, limited ? 1 : 0, first, system});
    }
    void Parameter(int functionId, int order, const QString& name, bool need, const QString& refType = QString(),
                   int dataType = 1, const QString& def = QString())
    {
        m_conn.Execute(QStringLiteral("Insert into rpt_funPere (id,name,cDefault,cRefType,cDataType,bNeed,OrderEX) "
                                      "values (?,?,?,?,?,?,?)"),
                       {functionId, name, def, refType, dataType, need ? 1 : 0, order});
    }

private:
    clsConnection& m_conn;
    int m_id = 0;
    int m_order = 0;
};
}

void clsDefinitionStore::LoadDemoData(clsConnection& conn)
{
    // Hundreds of small inserts: on an SQLite file each would otherwise be its own
    // synced transaction.
    const bool own = !conn.InTransaction() && conn.BeginTrans();
    try {
        WriteDemoRows(conn);
        if (own && !conn.CommitTrans())
            throw conn.LastFailure();
    } catch (...) {
        if (own)
            conn.RollbackTrans();
        throw;
    }
}

void clsDefinitionStore::WriteDemoRows(clsConnection& conn)
{
    const QString range = QStringLiteral("(1,2,3,4,5)");
    conn.Execute(QStringLiteral("delete from Rpt_FldDEF where ID in ") + range);
    conn.Execute(QStringLiteral("delete from Rpt_FltDEF where id in ") + range);
    conn.Execute(QStringLiteral("delete from Rpt_GlbDEF where ID in ") + range);
    conn.Execute(QStringLiteral("delete from rpt_funPere where id between 1 and 99"));
    conn.Execute(QStringLiteral("delete from rpt_fundef where ID between 1 and 99"));

    DemoWriter w(conn);
    const QString money = QStringLiteral("#,0.00");

    // General ledger: account balances with opening, period and closing debit / credit.
    w.Report(1, QStringLiteral("GL"), QStringLiteral("科目余额表"), QStringLiteral("按科目列示期初、本期发生及期末余额"), 1);
    w.Column(QStringLiteral("科目编码"), QStringLiteral("ccode"), 1400, 1, QString(), 1);
    w.Column(QStringLiteral("科目名称"), QStringLiteral("ccode_name"), 2400, 1, QString(), 1);
    w.Column(QStringLiteral("期初借方"), QStringLiteral("mb_jf"), 1500, 0, money, 3, QStringLiteral("sum"));
    w.Column(QStringLiteral("期初贷方"), QStringLiteral("mb_df"), 1500, 0, money, 3, QStringLiteral("sum"));
    w.Column(QStringLiteral("本期借方"), QStringLiteral("md"), 1500, 0, money, 3, QStringLiteral("sum"));
    w.Column(QStringLiteral("本期贷方"), QStringLiteral("mc"), 1500, 0, money, 3, QStringLiteral("sum"));
    w.Column(QStringLiteral("期末借方"), QStringLiteral("me_jf"), 1500, 0, money, 3, QStringLiteral("sum"));
    w.Column(QStringLiteral("期末贷方"), QStringLiteral("me_df"), 1500, 0, money, 3, QStringLiteral("sum"));
    w.Column(QStringLiteral("科目级次"), QStringLiteral("igrade"), 800, 0, QString(), 2, QString(), QString(), false);
    w.Title(QStringLiteral("科目编码"), QStringLiteral("科目编码"), 1, 1, 1, 2);
    w.Title(QStringLiteral("科目名称"), QStringLiteral("科目名称"), 1, 2, 1, 2);
    w.Title(QStringLiteral("期初余额"), QStringLiteral("期初余额"), 1, 3, 2, 1);
    w.Title(QStringLiteral("期初借方"), QStringLiteral("借方"), 2, 3, 1, 1);
    w.Title(QStringLiteral("期初贷方"), QStringLiteral("贷方"), 2, 4, 1, 1);
    w.Title(QStringLiteral("本期发生"), QStringLiteral("本期发生"), 1, 5, 2, 1);
    w.Title(QStringLiteral("本期借方"), QStringLiteral("借方"), 2, 5, 1, 1);
    w.Title(QStringLiteral("本期贷方"), QStringLiteral("贷方"), 2, 6, 1, 1);
    w.Title(QStringLiteral("期末余额"), QStringLiteral("期末余额"), 1, 7, 2, 1);
    w.Title(QStringLiteral("期末借方"), QStringLiteral("借方"), 2, 7, 1, 1);
    w.Title(QStringLiteral("期末贷方"), QStringLiteral("贷方"), 2, 8, 1, 1);
    for (const char* c : {"期初借方", "期初贷方", "本期借方", "本期贷方", "期末借方", "期末贷方"})
        w.Sum(QString::fromUtf8(c), 0);
    w.Sum(QStringLiteral("科目级次"), -1);
    w.Group(QStringLiteral("科目编码"), -2, 0);
    w.HelpId(1001);
    w.StandardRanges(true, true, true);
    w.TitleLabel(1);
    w.Label(2, QStringLiteral("编制单位"), QStringLiteral("页标题区域"), QStringLiteral("公式"), QStringLiteral("GetCompanyName()"),
            0, 150, 5000, 300, 0, QStringLiteral("系统内置公式"));
    w.Label(3, QStringLiteral("会计期间"), QStringLiteral("页标题区域"), QStringLiteral("公式"), QStringLiteral("GetPeriod()"),
            7000, 150, 3000, 300, 2, QStringLiteral("系统内置公式"));
    w.Label(4, QStringLiteral("金额单位"), QStringLiteral("页标题区域"), QStringLiteral("文本"), QStringLiteral("金额单位：元"),
            11000, 150, 2000, 300, 1);
    w.Label(5, QStringLiteral("制表人"), QStringLiteral("脚注区域"), QStringLiteral("公式"), QStringLiteral("GetOperator()"),
            0, 200, 3000, 300, 0, QStringLiteral("系统内置公式"));
    w.Label(6, QStringLiteral("页码"), QStringLiteral("页脚注区域"), QStringLiteral("公式"), QStringLiteral("GetPageNo()"),
            6000, 150, 2000, 300, 2, QStringLiteral("系统内置公式"));
    w.Print(9, 2, 200, 180, 180, 180, true);
    w.Filter(1, QStringLiteral("会计期间"));
    w.Filter(2, QStringLiteral("科目级次"));
    w.Filter(3, QStringLiteral("科目编码"));

    // Accounts payable: aging of supplier balances, grouped by supplier class.
    w.Report(2, QStringLiteral("AP"), QStringLiteral("应付账款账龄分析表"), QStringLiteral("按供应商分析应付余额账龄"), 0);
    w.Column(QStringLiteral("供应商分类"), QStringLiteral("cvcname"), 1600, 1, QString(), 1);
    w.Column(QStringLiteral("供应商编码"), QStringLiteral("cvencode"), 1200, 1, QString(), 1);
    w.Column(QStringLiteral("供应商名称"), QStringLiteral("cvenname"), 2600, 1, QString(), 1);
    w.Column(QStringLiteral("应付余额"), QStringLiteral("iamount"), 1500, 0, money, 3);
    w.Column(QStringLiteral("账龄30天内"), QStringLiteral("iage30"), 1300, 0, money, 3);
    w.Column(QStringLiteral("账龄31至60天"), QStringLiteral("iage60"), 1300, 0, money, 3);
    w.Column(QStringLiteral("账龄61至90天"), QStringLiteral("iage90"), 1300, 0, money, 3);
    w.Column(QStringLiteral("账龄91至180天"), QStringLiteral("iage180"), 1300, 0, money, 3);
    w.Column(QStringLiteral("账龄180天以上"), QStringLiteral("iageover"), 1300, 0, money, 3);
    w.Column(QStringLiteral("逾期比例"), QString(), 1000, 0, QStringLiteral("0.00%"), 3, QString(),
             QStringLiteral("[账龄180天以上]/[应付余额]"));
    w.Title(QStringLiteral("账龄区间"), QStringLiteral("账龄区间"), 1, 5, 5, 1);
    for (int c = 1; c <= 10; ++c) {
        static const char* names[] = {"供应商分类", "供应商编码", "供应商名称", "应付余额", "账龄30天内",
                                      "账龄31至60天", "账龄61至90天", "账龄91至180天", "账龄180天以上", "逾期比例"};
        static const char* captions[] = {"供应商分类", "供应商编码", "供应商名称", "应付余额", "30天内",
                                         "31-60天", "61-90天", "91-180天", "180天以上", "逾期比例"};
        const bool underAging = c >= 5 && c <= 9;
        w.Title(QString::fromUtf8(names[c - 1]), QString::fromUtf8(captions[c - 1]), underAging ? 2 : 1, c, 1, underAging ? 1 : 2);
    }
    w.Group(QStringLiteral("供应商分类"), -1, 0);
    for (const char* c : {"应付余额", "账龄30天内", "账龄31至60天", "账龄61至90天", "账龄91至180天", "账龄180天以上"})
        w.Sum(QString::fromUtf8(c), 0);
    w.Sum(QStringLiteral("逾期比例"), 1);
    w.HelpId(2001);
    w.Range(1, QStringLiteral("标题区域"), QStringLiteral("标题区"), QStringLiteral("显示/打印"), 900);
    w.Range(2, QStringLiteral("[分组]供应商分类_标题"), QStringLiteral("分组标题区"), QStringLiteral("只打印"), 500, QStringLiteral("供应商分类"));
    w.Range(3, QStringLiteral("页标题区域"), QStringLiteral("页眉区"), QStringLiteral("只打印"), 600);
    w.Range(4, QStringLiteral("正文区域"), QStringLiteral("正文区"), QStringLiteral("显示/打印"), 2400);
    w.Range(5, QStringLiteral("页脚注区域"), QStringLiteral("页尾区"), QStringLiteral("隐含"), 600);
    w.Range(6, QStringLiteral("[分组]供应商分类_脚注"), QStringLiteral("分组脚注区"), QStringLiteral("只打印"), 500, QStringLiteral("供应商分类"));
    w.Range(7, QStringLiteral("脚注区域"), QStringLiteral("脚注区"), QStringLiteral("显示/打印"), 700);
    w.TitleLabel(1);
    w.Label(2, QStringLiteral("截止日期"), QStringLiteral("页标题区域"), QStringLiteral("公式"), QStringLiteral("GetCurrentDate()"),
            0, 150, 4000, 300, 0, QStringLiteral("系统内置公式"), QStringLiteral("False,134,False,宋体,9,False,False,400"),
            QStringLiteral("YYYY年MM月DD日"));
    w.Label(3, QStringLiteral("分组名称"), QStringLiteral("[分组]供应商分类_标题"), QStringLiteral("文本"), QStringLiteral("供应商分类小计"),
            0, 100, 3000, 300);
    w.Label(4, QStringLiteral("审核人"), QStringLiteral("脚注区域"), QStringLiteral("文本"), QStringLiteral("审核人："), 0, 200, 3000, 300);
    w.Label(5, QStringLiteral("逾期合计"), QStringLiteral("脚注区域"), QStringLiteral("表达式"), QStringLiteral("[审核人]&[截止日期]"),
            5000, 200, 4000, 300);
    w.Print(9, 2, 200, 150, 150, 180, true);
    w.Filter(1, QStringLiteral("截止日期"));
    w.Filter(2, QStringLiteral("供应商分类"));

    // Payroll: department summary with computed totals.
    w.Report(3, QStringLiteral("WA"), QStringLiteral("工资汇总表"), QStringLiteral("按部门汇总当月工资"), 0);
    w.Column(QStringLiteral("部门"), QStringLiteral("cdeptname"), 2000, 1, QString(), 1);
    w.Column(QStringLiteral("人数"), QStringLiteral("irs"), 800, 0, QStringLiteral("00"), 3, QStringLiteral("sum"));
    w.Column(QStringLiteral("基本工资"), QStringLiteral("f_jbgz"), 1300, 0, money, 3);
    w.Column(QStringLiteral("岗位工资"), QStringLiteral("f_gwgz"), 1300, 0, money, 3);
    w.Column(QStringLiteral("绩效奖金"), QStringLiteral("f_jxjj"), 1300, 0, money, 3);
    w.Column(QStringLiteral("应发合计"), QString(), 1400, 0, money, 3, QString(),
             QStringLiteral("[基本工资]+[岗位工资]+[绩效奖金]"));
    w.Column(QStringLiteral("代扣个税"), QStringLiteral("f_grsds"), 1300, 0, money, 3);
    w.Column(QStringLiteral("社保个人"), QStringLiteral("f_sbgr"), 1300, 0, money, 3);
    w.Column(QStringLiteral("实发合计"), QString(), 1400, 0, money, 3, QString(),
             QStringLiteral("[实发合计]=[应发合计]-[代扣个税]-[社保个人]"));
    w.Title(QStringLiteral("应发项目"), QStringLiteral("应发项目"), 1, 3, 4, 1);
    w.Title(QStringLiteral("扣款项目"), QStringLiteral("扣款项目"), 1, 7, 2, 1);
    for (int c = 1; c <= 9; ++c) {
        static const char* names[] = {"部门", "人数", "基本工资", "岗位工资", "绩效奖金", "应发合计", "代扣个税", "社保个人", "实发合计"};
        const bool under = c >= 3 && c <= 8;
        w.Title(QString::fromUtf8(names[c - 1]), QString::fromUtf8(names[c - 1]), under ? 2 : 1, c, 1, under ? 1 : 2);
    }
    w.Group(QStringLiteral("部门"), -1, 1);
    for (const char* c : {"人数", "基本工资", "岗位工资", "绩效奖金", "代扣个税", "社保个人"})
        w.Sum(QString::fromUtf8(c), 0);
    w.Sum(QStringLiteral("应发合计"), 1);
    w.Sum(QStringLiteral("实发合计"), 1);
    w.HelpId(3001);
    w.StandardRanges(true, false, true);
    w.TitleLabel(1);
    w.Label(2, QStringLiteral("工资期间"), QStringLiteral("页标题区域"), QStringLiteral("公式"), QStringLiteral("GetPeriod()"),
            0, 150, 4000, 300, 0, QStringLiteral("系统内置公式"));
    w.Label(3, QStringLiteral("单位负责人"), QStringLiteral("脚注区域"), QStringLiteral("文本"), QStringLiteral("单位负责人："),
            0, 200, 3000, 300);
    w.Label(4, QStringLiteral("制表人"), QStringLiteral("脚注区域"), QStringLiteral("公式"), QStringLiteral("GetOperator()"),
            6000, 200, 3000, 300, 0, QStringLiteral("系统内置公式"));
    w.Print(9, 1, 200, 180, 180, 180, false);
    w.Filter(1, QStringLiteral("工资期间"));
    w.Filter(2, QStringLiteral("部门"));

    // Accounts receivable detail: a user-defined report still at its defaults
    // (no range or label rows yet), so the designer's defaults show.
    w.Report(4, QStringLiteral("AR"), QStringLiteral("应收账款明细表"), QStringLiteral("客户往来明细"), 0);
    w.Column(QStringLiteral("客户名称"), QStringLiteral("ccusname"), 2600, 1, QString(), 1);
    w.Column(QStringLiteral("单据日期"), QStringLiteral("ddate"), 1400, 2, QStringLiteral("YYYY-MM-DD"), 2);
    w.Column(QStringLiteral("摘要"), QStringLiteral("cdigest"), 3000, 1, QString(), 1);
    w.Column(QStringLiteral("借方金额"), QStringLiteral("md"), 1500, 0, money, 3);
    w.Column(QStringLiteral("贷方金额"), QStringLiteral("mc"), 1500, 0, money, 3);
    w.Column(QStringLiteral("余额"), QStringLiteral("me"), 1500, 0, money, 3);

    // Fixed assets: a catalogue entry whose column list has not been analysed yet.
    w.Report(5, QStringLiteral("FA"), QStringLiteral("固定资产折旧计算表"), QStringLiteral("尚未分析数据源"), 1);

    // Functions shared by every subsystem ("AA") and a few of the ledger's own.
    const QString builtIn = QStringLiteral("系统内置公式");
    w.Function(1, QStringLiteral("GetReportName"), QStringLiteral("取报表名称"), builtIn, QStringLiteral("AA"));
    w.Function(2, QStringLiteral("GetCompanyName"), QStringLiteral("取编制单位名称"), builtIn, QStringLiteral("AA"));
    w.Function(3, QStringLiteral("GetPeriod"), QStringLiteral("取当前会计期间"), builtIn, QStringLiteral("AA"));
    w.Function(4, QStringLiteral("GetOperator"), QStringLiteral("取操作员姓名"), builtIn, QStringLiteral("AA"));
    w.Function(5, QStringLiteral("GetCurrentDate"), QStringLiteral("取当前日期"), builtIn, QStringLiteral("AA"));
    w.Function(6, QStringLiteral("GetPageNo"), QStringLiteral("取当前页码"), builtIn, QStringLiteral("AA"), false, true,
               QStringLiteral("页眉区,页尾区"), 1);
    w.Function(7, QStringLiteral("SumColumn"), QStringLiteral("对报表列求合计"), builtIn, QStringLiteral("AA"), false, true,
               QStringLiteral("脚注区,分组脚注区"), 2);
    w.Parameter(7, 1, QStringLiteral("列名"), true, QStringLiteral("列集合"), 1);
    w.Function(8, QStringLiteral("GetFilterValue"), QStringLiteral("取报表条件的取值"), builtIn, QStringLiteral("AA"));
    w.Parameter(8, 1, QStringLiteral("条件"), true, QStringLiteral("条件集合"), 1);
    w.Parameter(8, 2, QStringLiteral("缺省值"), false, QString(), 1);
    w.Function(9, QStringLiteral("GetLabelText"), QStringLiteral("取标签内容"), builtIn, QStringLiteral("AA"));
    w.Parameter(9, 1, QStringLiteral("标签"), true, QStringLiteral("标签集合"), 1);
    const QString custom = QStringLiteral("自定义公式");
    w.Function(20, QStringLiteral("GetAccountBalance"), QStringLiteral("取科目余额（科目编码，方向）"), custom, QStringLiteral("GL"), true);
    w.Parameter(20, 1, QStringLiteral("科目编码"), true, QString(), 1);
    w.Parameter(20, 2, QStringLiteral("方向"), false, QString(), 1, QStringLiteral("借"));
    w.Parameter(20, 3, QStringLiteral("期间"), false, QString(), 0, QStringLiteral("0"));
    w.Function(21, QStringLiteral("GetDeptHeadcount"), QStringLiteral("取部门人数"), custom, QStringLiteral("WA"), true);
    w.Parameter(21, 1, QStringLiteral("部门编码"), true, QString(), 1);
}

namespace {
QSqlDatabase Connection(const QString& driver, const QString& name)
{
    return QSqlDatabase::contains(name) ? QSqlDatabase::database(name, false) : QSqlDatabase::addDatabase(driver, name);
}

QString OpenError(const QSqlDatabase& db)
{
    const QSqlError error = db.lastError();
    const QString text = error.databaseText().trimmed();
    return text.isEmpty() ? error.text().trimmed() : text;
}
}

QString clsDefinitionStore::OpenSqliteFile(const QString& path, const QString& connectionName, bool readOnly)
{
    // SQLite would make an empty file of a mistyped name; a database is only ever
    // created on purpose (CreateSqliteFile).
    if (!QFileInfo(path).isFile())
        return QStringLiteral("数据库文件不存在: ") + QDir::toNativeSeparators(QFileInfo(path).absoluteFilePath());
    QSqlDatabase db = Connection(QStringLiteral("QSQLITE"), connectionName);
    db.setDatabaseName(path);
    if (!db.open())
        return OpenError(db);
    if (readOnly) {
        // Refuses every write of this connection, yet still lets SQLite roll back what
        // a crashed writer left in the journal, which a read-only open could not.
        clsConnection conn(connectionName);
        try {
            conn.Execute(QStringLiteral("PRAGMA query_only = ON"));
        } catch (const clsDatabaseError& e) {
            db.close();
            return e.Description();
        }
    }
    return QString();
}

QString clsDefinitionStore::CreateSqliteFile(const QString& path, const QString& connectionName, bool withDemo)
{
    if (QFileInfo::exists(path))
        return QStringLiteral("数据库文件已经存在: ") + QDir::toNativeSeparators(QFileInfo(path).absoluteFilePath());
    QSqlDatabase db = Connection(QStringLiteral("QSQLITE"), connectionName);
    db.setDatabaseName(path);
    if (!db.open())
        return OpenError(db);
    clsConnection conn(connectionName);
    try {
        conn.BeginTrans();
        CreateSchema(conn);
        if (withDemo)
            LoadDemoData(conn);
        if (!conn.CommitTrans())
            throw conn.LastFailure();
    } catch (const clsDatabaseError& e) {
        conn.RollbackTrans();
        db.close();
        QFile::remove(path);
        return e.Description();
    }
    return QString();
}

namespace {
bool IsBlank(QChar c)
{
    return c.isSpace();
}

QString PercentDecoded(QStringView text)
{
    return QString::fromUtf8(QByteArray::fromPercentEncoding(text.toUtf8()));
}

// postgresql://[user[:password]@][host[:port][,...]][/dbname][?key=value&...]
QString ParseUri(const QString& uri, QList<QPair<QString, QString>>& pairs)
{
    QStringView rest = QStringView(uri).mid(uri.indexOf(QLatin1String("://")) + 3);
    qsizetype end = 0;
    while (end < rest.size() && rest[end] != QLatin1Char('/') && rest[end] != QLatin1Char('?'))
        ++end;
    QStringView authority = rest.left(end);
    rest = rest.mid(end);
    const qsizetype at = authority.indexOf(QLatin1Char('@'));
    if (at >= 0) {
        const QStringView credentials = authority.left(at);
        const qsizetype colon = credentials.indexOf(QLatin1Char(':'));
        const QString user = PercentDecoded(colon < 0 ? credentials : credentials.left(colon));
        if (!user.isEmpty())
            pairs.append({QStringLiteral("user"), user});
        if (colon >= 0)
            pairs.append({QStringLiteral("password"), PercentDecoded(credentials.mid(colon + 1))});
        authority = authority.mid(at + 1);
    }
    if (!authority.isEmpty()) {
        QStringList hosts;
        QStringList ports;
        bool anyPort = false;
        for (QStringView spec : authority.split(QLatin1Char(','))) {
            QStringView host = spec;
            QStringView port;
            if (spec.startsWith(QLatin1Char('['))) {
                const qsizetype close = spec.indexOf(QLatin1Char(']'));
                if (close < 0)
                    return QStringLiteral("连接串中的主机地址不完整: ") + spec.toString();
                host = spec.mid(1, close - 1);
                if (spec.mid(close + 1).startsWith(QLatin1Char(':')))
                    port = spec.mid(close + 2);
            } else if (const qsizetype colon = spec.lastIndexOf(QLatin1Char(':')); colon >= 0) {
                host = spec.left(colon);
                port = spec.mid(colon + 1);
            }
            hosts << PercentDecoded(host);
            ports << port.toString();
            anyPort = anyPort || !port.isEmpty();
        }
        pairs.append({QStringLiteral("host"), hosts.join(QLatin1Char(','))});
        if (anyPort)
            pairs.append({QStringLiteral("port"), ports.join(QLatin1Char(','))});
    }
    if (rest.startsWith(QLatin1Char('/'))) {
        const qsizetype query = rest.indexOf(QLatin1Char('?'));
        const QString dbname = PercentDecoded(rest.mid(1, query < 0 ? -1 : query - 1));
        if (!dbname.isEmpty())
            pairs.append({QStringLiteral("dbname"), dbname});
        rest = query < 0 ? QStringView() : rest.mid(query);
    }
    if (rest.startsWith(QLatin1Char('?'))) {
        for (QStringView item : rest.mid(1).split(QLatin1Char('&'), Qt::SkipEmptyParts)) {
            const qsizetype eq = item.indexOf(QLatin1Char('='));
            if (eq < 0)
                return QStringLiteral("连接串中 \"%1\" 之后缺少 \"=\"").arg(item.toString());
            pairs.append({PercentDecoded(item.left(eq)), PercentDecoded(item.mid(eq + 1))});
        }
    }
    return QString();
}

// A value as the connection-string syntax quotes it.
QString Quoted(const QString& value)
{
    QString text = value;
    text.replace(QLatin1Char('\\'), QLatin1String("\\\\"));
    text.replace(QLatin1Char('\''), QLatin1String("\\'"));
    return QLatin1Char('\'') + text + QLatin1Char('\'');
}
}

QString clsDefinitionStore::ParseConnectionString(const QString& text, QList<QPair<QString, QString>>& pairs)
{
    pairs.clear();
    const QString t = text.trimmed();
    if (t.startsWith(QLatin1String("postgresql://"), Qt::CaseInsensitive)
        || t.startsWith(QLatin1String("postgres://"), Qt::CaseInsensitive))
        return ParseUri(t, pairs);
    // key = value pairs apart by blanks; a value in single quotes may hold blanks, and a
    // backslash takes the next character as it is, inside quotes or not.
    qsizetype i = 0;
    const qsizetype n = t.size();
    while (true) {
        while (i < n && IsBlank(t[i]))
            ++i;
        if (i >= n)
            break;
        const qsizetype keyStart = i;
        while (i < n && !IsBlank(t[i]) && t[i] != QLatin1Char('='))
            ++i;
        const QString key = t.mid(keyStart, i - keyStart);
        if (key.isEmpty())
            return QStringLiteral("连接串中 \"=\" 之前缺少参数名");
        while (i < n && IsBlank(t[i]))
            ++i;
        if (i >= n || t[i] != QLatin1Char('='))
            return QStringLiteral("连接串中 \"%1\" 之后缺少 \"=\"").arg(key);
        ++i;
        while (i < n && IsBlank(t[i]))
            ++i;
        QString value;
        if (i < n && t[i] == QLatin1Char('\'')) {
            ++i;
            bool closed = false;
            while (i < n) {
                if (t[i] == QLatin1Char('\\') && i + 1 < n) {
                    value += t[i + 1];
                    i += 2;
                } else if (t[i] == QLatin1Char('\'')) {
                    ++i;
                    closed = true;
                    break;
                } else {
                    value += t[i++];
                }
            }
            if (!closed)
                return QStringLiteral("连接串中 \"%1\" 的值缺少结束的单引号").arg(key);
        } else {
            while (i < n && !IsBlank(t[i])) {
                if (t[i] == QLatin1Char('\\') && i + 1 < n) {
                    value += t[i + 1];
                    i += 2;
                } else {
                    value += t[i++];
                }
            }
        }
        pairs.append({key, value});
    }
    return QString();
}

QString clsDefinitionStore::ApplyPostgresOptions(QSqlDatabase& db, const QString& conninfo, bool readOnly)
{
    QList<QPair<QString, QString>> pairs;
    const QString error = ParseConnectionString(conninfo, pairs);
    if (!error.isEmpty())
        return error;
    // Host, database, user, password and a single port go through the driver's own
    // fields, which it quotes whole; every other option goes in its connect options,
    // quoted here. The driver reads a semicolon there as a separator, so none may remain.
    QStringList options;
    QString serverOptions = qEnvironmentVariable("PGOPTIONS");
    bool connectTimeout = !qEnvironmentVariableIsEmpty("PGCONNECT_TIMEOUT");
    for (const auto& [key, value] : pairs) {
        const QString k = key.toLower();
        bool isNumber = false;
        if (k == QLatin1String("host"))
            db.setHostName(value);
        else if (k == QLatin1String("dbname"))
            db.setDatabaseName(value);
        else if (k == QLatin1String("user"))
            db.setUserName(value);
        else if (k == QLatin1String("password"))
            db.setPassword(value);
        else if (k == QLatin1String("port") && (value.toInt(&isNumber), isNumber))
            db.setPort(value.toInt());
        else if (k == QLatin1String("options"))
            serverOptions = value;
        else if (value.contains(QLatin1Char(';')))
            return QStringLiteral("连接参数 %1 的值不能含有分号").arg(key);
        else {
            connectTimeout = connectTimeout || k == QLatin1String("connect_timeout");
            options << key + QLatin1Char('=') + Quoted(value);
        }
    }
    if (serverOptions.contains(QLatin1Char(';')))
        return QStringLiteral("连接参数 options 的值不能含有分号");
    // A server that takes the connection and never answers must not hold the host.
    if (!connectTimeout)
        options << QStringLiteral("connect_timeout=%1").arg(kConnectTimeoutSeconds);
    // After the user's own settings, so that these win: a statement that hangs ends
    // with an error unless the user chose otherwise, strings keep backslashes as they
    // are whatever the server, role or PGOPTIONS say, and a reading command cannot write.
    if (!serverOptions.contains(QLatin1String("statement_timeout")))
        serverOptions += QStringLiteral(" -c statement_timeout=%1").arg(kStatementTimeoutSeconds * 1000);
    serverOptions += QStringLiteral(" -c standard_conforming_strings=on");
    if (readOnly)
        serverOptions += QStringLiteral(" -c default_transaction_read_only=on");
    options << QStringLiteral("options=") + Quoted(serverOptions.trimmed());
    db.setConnectOptions(options.join(QLatin1Char(' ')));
    return QString();
}

QString clsDefinitionStore::OpenPostgres(const QString& conninfo, const QString& connectionName, bool readOnly)
{
    QSqlDatabase db = Connection(QStringLiteral("QPSQL"), connectionName);
    const QString error = ApplyPostgresOptions(db, conninfo, readOnly);
    if (!error.isEmpty())
        return error;
    if (!db.open())
        return OpenError(db);
    return QString();
}
