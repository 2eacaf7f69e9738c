#include "frmPrintSetting.h"
#include "clsDocument.h"
#include "clsPrintSetting.h"
#include "modPublicDefine.h"
#include "modWindows.h"
#include "columns/clsFieldsManager.h"
#include <QCheckBox>
#include <QComboBox>
#include <QDoubleValidator>
#include <QGridLayout>
#include <QGroupBox>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QIntValidator>
#include <QLabel>
#include <QLineEdit>
#include <QPrintDialog>
#include <QPrinter>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>
#include <limits>

namespace {
frmPrintSetting::PrinterChooser& Chooser()
{
    static frmPrintSetting::PrinterChooser chooser;
    return chooser;
}

// A modal system dialog on a platform without a screen would wait for ever.
bool HasScreen()
{
    const QString platform = QGuiApplication::platformName();
    return platform != QLatin1String("offscreen") && platform != QLatin1String("minimal");
}

bool SystemPrinterDialog(QWidget* parent, const QString& device, qint32& orientationOut, QString& deviceOut)
{
    QPrinter printer;
    if (!device.isEmpty())
        printer.setPrinterName(device);
    QPrintDialog dialog(&printer, parent);
    if (dialog.exec() != QDialog::Accepted)
        return false;
    deviceOut = printer.printerName();
    orientationOut = printer.pageLayout().orientation() == QPageLayout::Landscape ? 2 : 1;
    return true;
}

// Margins are tenths of a millimetre, at most half a metre; shown with two decimals.
constexpr double kMaxMargin = 5000;

QLocale PlainNumbers()
{
    QLocale c = QLocale::c();
    c.setNumberOptions(QLocale::RejectGroupSeparator);
    return c;
}

QString MarginRule(const QString& caption)
{
    return QStringLiteral("%1必须是 0 到 %2 之间的数值（0.1 毫米，最多两位小数）。").arg(caption).arg(kMaxMargin);
}

QString HelpIdRule()
{
    return QStringLiteral("帮助ID号必须是 0 到 %1 之间的整数。").arg(std::numeric_limits<qint32>::max());
}

QLineEdit* MarginBox(const char* objectName, const char* caption)
{
    auto* box = new QLineEdit;
    ExplainRefusedKeys(box, [rule = MarginRule(QString::fromUtf8(caption))] { return rule; });
    box->setObjectName(QLatin1String(objectName));
    auto* validator = new QDoubleValidator(0, kMaxMargin, 2, box);
    validator->setNotation(QDoubleValidator::StandardNotation);
    validator->setLocale(PlainNumbers());
    box->setValidator(validator);
    return box;
}

// Empty text counts as 0, as it always has; anything else must pass the box's validator.
bool Acceptable(const QLineEdit* box)
{
    QString text = box->text().trimmed();
    if (text.isEmpty())
        return true;
    int at = 0;
    return !box->validator() || box->validator()->validate(text, at) == QValidator::Acceptable;
}
}

void frmPrintSetting::SetPrinterChooser(PrinterChooser chooser)
{
    Chooser() = std::move(chooser);
}

frmPrintSetting::frmPrintSetting(QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("frmPrintSetting"));
    setWindowTitle(QStringLiteral("报表打印设置"));
    setModal(true);

    labDrive = new QLabel;
    labDrive->setObjectName(QStringLiteral("labDrive"));
    cmdRefrech = new QPushButton(QStringLiteral("..."));
    cmdRefrech->setObjectName(QStringLiteral("cmdRefrech"));
    cmdRefrech->setToolTip(QStringLiteral("选择打印机"));
    Label2 = new QLabel(QStringLiteral("纸张类型"));
    Label2->setObjectName(QStringLiteral("Label2"));
    cmbPaper = new QComboBox;
    cmbPaper->setObjectName(QStringLiteral("cmbPaper"));
    optTop = new QRadioButton(QStringLiteral("纸张纵向打印"));
    optTop->setObjectName(QStringLiteral("optTop"));
    optLeft = new QRadioButton(QStringLiteral("纸张横向打印"));
    optLeft->setObjectName(QStringLiteral("optLeft"));
    txttop = MarginBox("txttop", "上边距");
    txtButton = MarginBox("txtButton", "下边距");
    txtLeft = MarginBox("txtLeft", "左边距");
    txtRight = MarginBox("txtRight", "右边距");
    chktd = new QCheckBox(QStringLiteral("表体打印时不显示边框"));
    chktd->setObjectName(QStringLiteral("chktd"));
    labHelp = new QLabel(QStringLiteral("帮助ID号"));
    labHelp->setObjectName(QStringLiteral("labHelp"));
    txtHelpId = new QLineEdit;
    txtHelpId->setObjectName(QStringLiteral("txtHelpId"));
    auto* helpIds = new QIntValidator(0, std::numeric_limits<qint32>::max(), txtHelpId);
    helpIds->setLocale(PlainNumbers());
    txtHelpId->setValidator(helpIds);
    ExplainRefusedKeys(txtHelpId, [] { return HelpIdRule(); });
    cmdOk = new QPushButton(QStringLiteral("确认"));
    cmdOk->setObjectName(QStringLiteral("cmdOk"));
    cmdOk->setDefault(true);
    cmdCancel = new QPushButton(QStringLiteral("取消"));
    cmdCancel->setObjectName(QStringLiteral("cmdCancel"));

    // The row says what it is even while no printer is chosen and the name is empty.
    auto* printerRow = new QHBoxLayout;
    printerRow->addWidget(new QLabel(QStringLiteral("打印机")));
    printerRow->addWidget(labDrive, 1);
    printerRow->addWidget(cmdRefrech);
    auto* paperRow = new QHBoxLayout;
    paperRow->addWidget(Label2);
    paperRow->addWidget(cmbPaper, 1);
    auto* orientation = new QGroupBox;
    auto* orientationLayout = new QHBoxLayout(orientation);
    orientationLayout->addWidget(optTop);
    orientationLayout->addWidget(optLeft);

    auto* margins = new QGridLayout;
    const struct { const char* caption; QLineEdit* box; } rows[] = {
        {"上边距", txttop}, {"下边距", txtButton}, {"左边距", txtLeft}, {"右边距", txtRight}};
    int r = 0;
    for (const auto& row : rows) {
        margins->addWidget(new QLabel(QString::fromUtf8(row.caption)), r, 0);
        margins->addWidget(row.box, r, 1);
        margins->addWidget(new QLabel(QStringLiteral("0.1 毫米")), r, 2);
        ++r;
    }
    auto* helpRow = new QHBoxLayout;
    helpRow->addWidget(labHelp);
    helpRow->addWidget(txtHelpId, 1);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(cmdOk);
    buttons->addWidget(cmdCancel);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(printerRow);
    layout->addLayout(paperRow);
    layout->addWidget(orientation);
    layout->addLayout(margins);
    layout->addWidget(chktd);
    layout->addLayout(helpRow);
    layout->addLayout(buttons);

    connect(cmdRefrech, &QPushButton::clicked, this, &frmPrintSetting::cmdRefrech_Click);
    connect(cmdOk, &QPushButton::clicked, this, &frmPrintSetting::cmdOk_Click);
    connect(cmdCancel, &QPushButton::clicked, this, &frmPrintSetting::cmdCancel_Click);

    LoadSettings();
    Activate();
    connect(cmbPaper, qOverload<int>(&QComboBox::activated), this, &frmPrintSetting::cmbPaper_Click);
}

void frmPrintSetting::LoadSettings()
{
    if (g_objDocument)
        g_objDocument->GetPrintSetting(m_strPrintDrive, m_lngPaperType, m_lngOrientation, m_lngLeft, m_lngRight,
                                       m_lngButton, m_lngTop, m_blnListFrame);
    // The catalogue's cursor answers False with its last record, which is not listed.
    clsPrintSetting papers;
    qint32 id = 0;
    QString name;
    bool more = papers.EnumPapers(id, name, true);
    while (more) {
        cmbPaper->addItem(name, id);
        more = papers.EnumPapers(id, name);
    }
}

void frmPrintSetting::Activate()
{
    labDrive->setText(m_strPrintDrive);
    txttop->setText(QString::number(m_lngTop, 'f', 2));
    txtButton->setText(QString::number(m_lngButton, 'f', 2));
    txtLeft->setText(QString::number(m_lngLeft, 'f', 2));
    txtRight->setText(QString::number(m_lngRight, 'f', 2));
    cmbPaper->setCurrentIndex(cmbPaper->findData(m_lngPaperType));
    chktd->setChecked(!m_blnListFrame);
    SetOrientationButtons();
    const bool runMode = g_blnRunMode;
    labHelp->setVisible(!runMode);
    txtHelpId->setVisible(!runMode);
    if (!runMode) {
        const clsFieldsManager* fields = DocumentFields();
        txtHelpId->setText(QString::number(fields ? fields->ReportHelpID() : 0));
    }
}

void frmPrintSetting::SetOrientationButtons()
{
    if (m_lngOrientation == 2)
        optLeft->setChecked(true);
    else
        optTop->setChecked(true);
}

void frmPrintSetting::cmbPaper_Click(int index)
{
    if (index >= 0)
        m_lngPaperType = cmbPaper->itemData(index).toInt();
}

void frmPrintSetting::cmdRefrech_Click()
{
    QString device;
    qint32 orientation = m_lngOrientation;
    bool chosen = false;
    if (Chooser())
        chosen = Chooser()(device, orientation);
    else if (HasScreen())
        chosen = SystemPrinterDialog(this, m_strPrintDrive, orientation, device);
    if (!chosen)
        return;
    m_strPrintDrive = device;
    m_lngOrientation = orientation == 2 ? 2 : 1;
    labDrive->setText(m_strPrintDrive);
    SetOrientationButtons();
}

bool frmPrintSetting::CheckNumbers()
{
    // A value that is not a number or out of range is refused with a message and the
    // window stays open on it; nothing typed becomes 0 behind the user's back.
    const struct { QLineEdit* box; const char* caption; } margins[] = {
        {txttop, "上边距"}, {txtButton, "下边距"}, {txtLeft, "左边距"}, {txtRight, "右边距"}};
    for (const auto& m : margins) {
        if (!Acceptable(m.box)) {
            ShowMessage(MarginRule(QString::fromUtf8(m.caption)));
            m.box->setFocus();
            m.box->selectAll();
            return false;
        }
    }
    if (!g_blnRunMode && !Acceptable(txtHelpId)) {
        ShowMessage(HelpIdRule());
        txtHelpId->setFocus();
        txtHelpId->selectAll();
        return false;
    }
    return true;
}

void frmPrintSetting::cmdOk_Click()
{
    if (!CheckNumbers())
        return;
    // Margins are whole tenths of a millimetre; an empty box counts as 0.
    const auto margin = [](const QLineEdit* box) { return ToLong(box->text().trimmed()); };
    m_blnListFrame = !chktd->isChecked();
    m_lngOrientation = optTop->isChecked() ? 1 : 2;
    m_lngLeft = margin(txtLeft);
    m_lngRight = margin(txtRight);
    m_lngButton = margin(txtButton);
    m_lngTop = margin(txttop);
    if (g_objDocument) {
        g_objDocument->SetPrintSetting(m_strPrintDrive, m_lngPaperType, m_lngOrientation, m_lngLeft, m_lngRight,
                                       m_lngButton, m_lngTop, m_blnListFrame);
        if (!g_blnRunMode)
            if (clsFieldsManager* fields = g_objDocument->FieldsManager())
                fields->SetReportHelpID(ToLong(txtHelpId->text().trimmed()));
        g_objDocument->CommitStep(QStringLiteral("打印设置"));
    }
    accept();
}

void frmPrintSetting::cmdCancel_Click()
{
    reject();
}
