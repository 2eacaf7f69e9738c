#pragma once
#include "clsPere.h"
#include <QDialog>
#include <QList>
#include <functional>

class QComboBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QPlainTextEdit;
class QPushButton;
class QTableWidget;
class QValidator;

// Builds a label formula by choosing a function class, a function and its parameter
// values; the finished call goes into the expression editor's text box.
class frmListFunctionView : public QDialog
{
    Q_OBJECT
public:
    // `target` is the editor's text box that receives the call on confirmation.
    explicit frmListFunctionView(QPlainTextEdit* target, QWidget* parent = nullptr);

    QComboBox* cmbClass = nullptr;
    QTableWidget* GridFuncs = nullptr;
    QTableWidget* GridPeres = nullptr;
    QLineEdit* txtInput = nullptr;
    QPushButton* cmdRefrech = nullptr;
    QListWidget* lstRefresh = nullptr;
    QLabel* LabExp = nullptr;
    QPushButton* cmdOk = nullptr;
    QPushButton* cmdCancel = nullptr;

    // Selects the class of that caption and lists its functions; false when there is none.
    bool ChooseClass(const QString& caption);
    // Selects a function of the listed class by name; false when it is not listed.
    bool ChooseFunction(const QString& name);
    // Opens the in-place editor over the value of parameter `row`; false for no such row.
    bool BeginEdit(int row);
    // Takes `text` into the cell being edited, written as the formula check expects it
    // (texts in double quotes, references in square brackets), and rebuilds the call
    // (Enter, or the focus leaving the cell). A value the parameter cannot take is
    // refused with a message and stays in the editor; false then.
    bool CommitValue(const QString& text);
    // Leaves the cell as it was (Esc).
    void CancelEdit();
    // Fills the choice list of the parameter being edited (the button at its cell).
    void RefreshList();
    // Puts "[" entry "]" into the cell being edited.
    void ChooseFromList(const QString& entry);
    // The call as built so far: name(values) followed by one blank.
    QString CallText() const;
    // Takes a value still being typed, checks the required parameters and the call
    // itself (the formula check the editor will run), hands the call to the editor and
    // closes. Anything missing or wrong is told to the user and the picker stays open.
    bool Confirm();

    // Replaces the modal loop (tests drive the window without one).
    using ModalHook = std::function<void(frmListFunctionView&)>;
    static void SetModalHook(ModalHook hook);
    int ShowModal();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void LoadClasses();
    void FillFunctions();
    void FillParameters(int row);
    void BuildCall();
    void HideEditors();
    QString ValueAt(int row) const;
    // The value as it goes into the call; false with `error` set when the parameter
    // cannot take it.
    bool Normalize(int row, const QString& text, QString& value, QString& error) const;

    QPlainTextEdit* m_target;
    QValidator* m_validator = nullptr;  // the value editor's, set to the edited parameter's kind
    QString m_function;
    QList<clsPere> m_peres;
    int m_editRow = -1;
};
