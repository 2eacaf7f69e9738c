#include "document/clsComponentRegistry.h"
#include "document/clsConnection.h"
#include "document/clsDocument.h"
#include "document/clsReportFilter.h"
#include "document/modPublicDefine.h"
#include "clsRecordingPrompt.h"
#include <QtTest>

namespace {
// Records each call as its member followed by its arguments.
class FakeFilter : public clsOutsideObject
{
public:
    explicit FakeFilter(QList<QVariantList>* log, bool failSet = false) : m_log(log), m_failSet(failSet) {}
    QVariant Invoke(const QString& member, QVariantList& args) override
    {
        m_log->append(QVariantList{member} + args);
        if (member.compare(QLatin1String("SetFilter"), Qt::CaseInsensitive) == 0) {
            if (m_failSet)
                throw clsOutsideError(QStringLiteral("条件设置失败"));
            args[4] = true;   // the component may change RunMode through its reference
            return true;
        }
        if (member.compare(QLatin1String("DeleteFilter"), Qt::CaseInsensitive) == 0)
            return QVariant();
        UnknownMember(member);
    }

private:
    QList<QVariantList>* m_log;
    bool m_failSet;
};
}

class tst_clsReportFilter : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void cleanup()
    {
        clsComponentRegistry::Unregister(clsReportFilter::ComponentId());
        g_blnRunMode = false;
    }

    // SetFilter gets the report, its subsystem, the connection, an omitted argument and
    // RunMode by reference; DeleteFilter follows only when it succeeded.
    void openFilterSetting_data()
    {
        QTest::addColumn<bool>("registered");
        QTest::addColumn<bool>("failSet");
        QTest::addColumn<bool>("runMode");
        QTest::addColumn<QString>("message");
        QTest::newRow("filter set") << true << false << false << QString();
        QTest::newRow("no component") << false << false << false << QStringLiteral("ActiveX 部件不能创建对象\r\n错误位于模块：clsReportFilter.");
        QTest::newRow("no component, run mode") << false << false << true << QString();
        QTest::newRow("SetFilter fails") << true << true << false << QStringLiteral("条件设置失败\r\n错误位于模块：clsReportFilter.");
    }
    void openFilterSetting()
    {
        QFETCH(bool, registered);
        QFETCH(bool, failSet);
        QFETCH(bool, runMode);
        QFETCH(QString, message);
        QList<QVariantList> log;
        if (registered)
            clsComponentRegistry::Register(QStringLiteral("qxvimbareport.CLSFILTERINTERFACE"),
                                           [&] { return std::make_unique<FakeFilter>(&log, failSet); });
        clsRecordingPrompt prompt;
        clsDocument doc;
        clsConnection conn(QStringLiteral("filter-test"));
        doc.m_AdoConn = &conn;
        std::tie(doc.m_strReportName, doc.m_strSystemID) = std::tuple(QStringLiteral("科目余额表"), QStringLiteral("GL"));
        doc.SetRunMode(runMode);
        clsReportFilter filter;
        bool ok = false;
        filter.OpenFilterSetting(ok);
        QCOMPARE(ok, registered && !failSet);
        QCOMPARE(prompt.Shown(), message.isEmpty() ? QStringList() : QStringList(QStringLiteral("格式!") + message));
        if (!registered)
            return;
        QCOMPARE(log.size(), failSet ? 1 : 2);
        const QVariantList set = log.first();
        QCOMPARE(set.mid(0, 3), (QVariantList{QStringLiteral("SetFilter"), QStringLiteral("科目余额表"), QStringLiteral("GL")}));
        QCOMPARE(set[3].value<clsConnection*>(), &conn);
        QCOMPARE(set.mid(4), (QVariantList{QVariant(), false}));   // the omitted argument, then RunMode
        if (failSet)
            return;
        QVERIFY(g_blnRunMode);        // written back through the reference
        QCOMPARE(log[1], (QVariantList{QStringLiteral("DeleteFilter"), QStringLiteral("科目余额表")}));
        QCOMPARE(filter.CloseFilter(), QString());
    }
};

QTEST_GUILESS_MAIN(tst_clsReportFilter)
#include "tst_clsReportFilter.moc"
