#include "columns/clsFieldsManager.h"
#include "document/clsDocument.h"
#include "document/frmPrintSetting.h"
#include "document/modPublicDefine.h"
#include "clsRecordingPrompt.h"
#include "clsTestDatabase.h"
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>
#include <QToolTip>
#include <QtTest>

class tst_frmPrintSetting : public QObject
{
    Q_OBJECT
private:
    template <class T>
    static T* Child(QWidget& w, const char* name)
    {
        return w.findChild<T*>(QLatin1String(name));
    }

    // Demo report 1: A4 landscape, margins top 200, left/right/bottom 180, frame on, help id 1001.
    struct OpenReport
    {
        OpenReport() { QVERIFY(doc.OpenDocument(&db.Conn(), QStringLiteral("科目余额表"), QStringLiteral("GL"), QStringLiteral("张三"))); }
        clsTestDatabase db{QStringLiteral("sqlite"), true, true};
        clsDocument doc;
    };

private Q_SLOTS:
    void cleanup()
    {
        g_blnRunMode = false;
        frmPrintSetting::SetPrinterChooser({});
    }

    void showsTheSettingsAndHandsThemBack_data()
    {
        QTest::addColumn<bool>("runMode");
        QTest::addColumn<bool>("chosen");   // the printer dialog: a printer in portrait chosen, or cancelled
        QTest::newRow("designing, printer chosen") << false << true;
        QTest::newRow("run mode hides and keeps the help id, dialog cancelled") << true << false;
    }
    void showsTheSettingsAndHandsThemBack()
    {
        QFETCH(bool, runMode);
        QFETCH(bool, chosen);
        OpenReport r;
        r.doc.SetDocChanged(false);
        g_blnRunMode = runMode;
        frmPrintSetting window;
        auto* papers = Child<QComboBox>(window, "cmbPaper");
        QCOMPARE(papers->count(), 40);
        QCOMPARE(papers->currentData().toInt(), 9);
        QCOMPARE(Child<QLineEdit>(window, "txttop")->text(), QStringLiteral("200.00"));
        QCOMPARE(Child<QLineEdit>(window, "txtLeft")->text(), QStringLiteral("180.00"));
        QVERIFY(Child<QRadioButton>(window, "optLeft")->isChecked());
        QVERIFY(!Child<QCheckBox>(window, "chktd")->isChecked());
        auto* helpId = Child<QLineEdit>(window, "txtHelpId");
        QCOMPARE(helpId->text(), runMode ? QString() : QStringLiteral("1001"));
        QCOMPARE(helpId->isHidden(), runMode);
        QCOMPARE(Child<QLabel>(window, "labHelp")->isHidden(), runMode);

        // The printer dialog's choice shows at once.
        const QString printer = QStringLiteral("财务部 激光打印机");
        frmPrintSetting::SetPrinterChooser([&](QString& device, qint32& orientation) {
            device = printer;
            orientation = 1;
            return chosen;
        });
        window.cmdRefrech_Click();
        QCOMPARE(Child<QLabel>(window, "labDrive")->text(), chosen ? printer : QString());
        QCOMPARE(Child<QRadioButton>(window, "optTop")->isChecked(), chosen);

        // 确定 puts every box back in its own setting.
        papers->setCurrentIndex(papers->findData(8));
        Q_EMIT papers->activated(papers->currentIndex());
        for (const auto& [box, margin] : {std::pair{"txttop", 11}, {"txtButton", 22}, {"txtLeft", 33}, {"txtRight", 44}})
            Child<QLineEdit>(window, box)->setText(QString::number(margin));
        Child<QCheckBox>(window, "chktd")->setChecked(true);
        Child<QRadioButton>(window, "optTop")->setChecked(true);
        helpId->setText(QStringLiteral("2002"));
        window.cmdOk_Click();
        const clsPrintSetting* p = r.doc.GetPrintObject();
        QCOMPARE(QList<qint32>({p->LngPaperType, p->LngOrientation, p->LngPrintTop, p->LngPrintButton, p->LngPrintLeft,
                                p->LngPrintRight}),
                 QList<qint32>({8, 1, 11, 22, 33, 44}));
        QCOMPARE(p->blnListFrame, false);
        QCOMPARE(p->StrPrintDrive, chosen ? printer : QString());
        QCOMPARE(r.doc.FieldsManager()->ReportHelpID(), runMode ? 1001 : 2002);
        QVERIFY(r.doc.DocChanged());
    }

    void numbersAreWholeTenthsOrRefused_data()
    {
        QTest::addColumn<QString>("box");
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("stored");  // -1: refused with a message, the window stays open
        QTest::newRow("half goes down to even") << "txtLeft" << "12.5" << 12;
        QTest::newRow("half goes up to even") << "txtLeft" << "13.5" << 14;
        QTest::newRow("not a number") << "txtLeft" << "十二" << -1;
        QTest::newRow("too large") << "txtLeft" << "1e20" << -1;
        QTest::newRow("help id not a number") << "txtHelpId" << "abc" << -1;
    }
    void numbersAreWholeTenthsOrRefused()
    {
        QFETCH(QString, box);
        QFETCH(QString, text);
        QFETCH(int, stored);
        OpenReport r;
        clsRecordingPrompt prompt;
        const qint32 left = r.doc.GetPrintObject()->LngPrintLeft;
        const qint32 helpId = r.doc.FieldsManager()->ReportHelpID();
        frmPrintSetting window;
        auto* edit = window.findChild<QLineEdit*>(box);
        edit->setText(text);
        window.cmdOk_Click();
        QCOMPARE(window.result() == QDialog::Accepted, stored >= 0);
        QCOMPARE(prompt.messages.size(), stored >= 0 ? 0 : 1);
        QCOMPARE(r.doc.GetPrintObject()->LngPrintLeft, stored >= 0 ? stored : left);
        QCOMPARE(r.doc.FieldsManager()->ReportHelpID(), helpId);
        // What was typed stays in the box to be corrected.
        QCOMPARE(edit->text(), text);
        // Typed key by key, it is refused as it comes, in the same words, beside the box.
        if (stored < 0) {
            edit->clear();
            window.show();
            for (const QChar ch : text) {
                QKeyEvent key(QEvent::KeyPress, Qt::Key_unknown, Qt::NoModifier, QString(ch));
                QApplication::sendEvent(edit, &key);
            }
            QCOMPARE(QToolTip::text(), prompt.messages.first().text);
        }
    }
};

QTEST_MAIN(tst_frmPrintSetting)
#include "tst_frmPrintSetting.moc"
