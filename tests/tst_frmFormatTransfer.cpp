#include "designer/frmFormatTransfer.h"
#include "designer/frmMainView.h"
#include "document/clsDocument.h"
#include "document/clsFormatTransfer.h"
#include "clsRecordingPrompt.h"
#include "clsTestDatabase.h"
#include <QAction>
#include <QTemporaryDir>
#include <QtTest>

Q_DECLARE_METATYPE(PromptAnswer)

namespace {
const QString kReport = QStringLiteral("科目余额表");
const QString kGL = QStringLiteral("GL");
const QString kNewText = QStringLiteral("金额单位：万元");

QString Stored(clsTestDatabase& db)
{
    return clsFormatTransfer::ReadReport(db.Conn(), clsFormatTransfer::FindReport(db.Conn(), kReport, kGL)).ToJson();
}
}

class tst_frmFormatTransfer : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void cleanup()
    {
        frmMainView::DestroyInstance();
        frmFormatTransfer::SetFileHook({});
    }

    void import_data()
    {
        QTest::addColumn<QString>("trouble");    // "malformed" file, or the save "locked" by another designer
        QTest::addColumn<PromptAnswer>("answer");
        QTest::addColumn<QString>("told");       // what the last message begins with
        const auto yes = PromptAnswer::Yes;
        QTest::newRow("confirmed") << "" << yes << "用文件中的格式替换报表“科目余额表”的格式并保存?";
        QTest::newRow("declined") << "" << PromptAnswer::No << "用文件中的格式替换";
        QTest::newRow("malformed file") << "malformed" << yes << "文件 ";
        QTest::newRow("save lock held") << "locked" << yes << "导入的格式已经显示，但还没有保存...";
    }
    void import()
    {
        // A file written by 导出格式 and edited; 导入格式 puts it into the open report and
        // saves it through the document's own save. Refused or declined, the stored
        // format stays.
        QFETCH(QString, trouble);
        QFETCH(PromptAnswer, answer);
        QFETCH(QString, told);
        // Only a sound file, confirmed and saved unhindered, reaches the database.
        const bool stored = trouble.isEmpty() && answer == PromptAnswer::Yes;
        clsTestDatabase db(QStringLiteral("sqlite"), true, true);
        clsRecordingPrompt prompt;
        prompt.answers << answer;
        clsDocument doc;
        QVERIFY(doc.OpenDocument(&db.Conn(), kReport, kGL, QStringLiteral("op")));
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("格式.json"));
        frmFormatTransfer::SetFileHook([&](bool) { return path; });
        frmMainView::Instance()->Action(QStringLiteral("mnuExportFormat"))->trigger();
        clsFormatSnapshot s;
        QString error;
        QVERIFY2(clsFormatTransfer::ReadFile(path, s, error), qPrintable(error));
        for (clsFormatRow& r : s.Rows)
            if (r.ModeEx == FormatKind::Label && r.Text(FldColumn::Name) == QStringLiteral("金额单位"))
                r.Set(FldColumn::Expression, kNewText);
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(trouble == QLatin1String("malformed") ? QByteArray("{\"format\": 1, \"rows\": [") : s.ToJson().toUtf8());
        file.close();
        const bool locked = trouble == QLatin1String("locked");
        if (locked)
            db.Conn().Execute(QStringLiteral("Update Rpt_GlbDEF Set Cols = 1 Where ID = ?"), {doc.m_lngReportID});
        const QString before = Stored(db);
        frmMainView::Instance()->Action(QStringLiteral("mnuImportFormat"))->trigger();
        QVERIFY2(prompt.LastText().startsWith(told), qPrintable(prompt.LastText()));
        QCOMPARE(std::tuple(Stored(db) == before, Stored(db).contains(kNewText)), std::tuple(!stored, stored));
        QCOMPARE(doc.DocChanged(), locked);
    }
};

QTEST_MAIN(tst_frmFormatTransfer)
#include "tst_frmFormatTransfer.moc"
