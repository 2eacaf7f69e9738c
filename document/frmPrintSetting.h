#pragma once
#include <QDialog>
#include <QString>
#include <functional>

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;

// The report's print settings and help id, edited on a copy and handed back to the
// document on OK.
class frmPrintSetting : public QDialog
{
    Q_OBJECT
public:
    explicit frmPrintSetting(QWidget* parent = nullptr);

    // The system printer dialog. Answers False when cancelled; otherwise the chosen
    // device name and orientation (1 portrait, 2 landscape). Hosts without a display
    // and tests install their own; an empty function restores the system dialog.
    using PrinterChooser = std::function<bool(QString& device, qint32& orientation)>;
    static void SetPrinterChooser(PrinterChooser chooser);

    // Puts the working copy into the controls (margins, paper, frame, orientation,
    // help id); runs once when the window is built.
    void Activate();

    // The working copy, as the controls last set it.
    QString PrintDrive() const { return m_strPrintDrive; }
    qint32 PaperType() const { return m_lngPaperType; }
    qint32 Orientation() const { return m_lngOrientation; }

public Q_SLOTS:
    void cmdRefrech_Click();
    void cmdOk_Click();
    void cmdCancel_Click();

private Q_SLOTS:
    void cmbPaper_Click(int index);

private:
    void LoadSettings();
    void SetOrientationButtons();
    bool CheckNumbers();

    QString m_strPrintDrive;
    qint32 m_lngPaperType = 9;
    qint32 m_lngOrientation = 1;
    qint32 m_lngLeft = 0;
    qint32 m_lngRight = 0;
    qint32 m_lngButton = 0;
    qint32 m_lngTop = 0;
    bool m_blnListFrame = true;

    QLabel* labDrive = nullptr;
    QPushButton* cmdRefrech = nullptr;
    QLabel* Label2 = nullptr;
    QComboBox* cmbPaper = nullptr;
    QRadioButton* optTop = nullptr;
    QRadioButton* optLeft = nullptr;
    QLineEdit* txttop = nullptr;
    QLineEdit* txtButton = nullptr;
    QLineEdit* txtLeft = nullptr;
    QLineEdit* txtRight = nullptr;
    QCheckBox* chktd = nullptr;
    QLabel* labHelp = nullptr;
    QLineEdit* txtHelpId = nullptr;
    QPushButton* cmdOk = nullptr;
    QPushButton* cmdCancel = nullptr;
};
