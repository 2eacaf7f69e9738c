#pragma once
#include "document/clsOutsideObject.h"
#include <QDialog>
#include <functional>
#include <memory>

class QCheckBox;
class QListWidget;
class QPlainTextEdit;
class QPushButton;

// The modal editor of a column expression, a label expression, a label formula or a
// label text. The opener fills the public fields, calls ShowModal and reads them back.
class frmTextInputView : public QDialog
{
    Q_OBJECT
public:
    explicit frmTextInputView(QWidget* parent = nullptr);
    ~frmTextInputView() override;

    QString mStrClass;          // "列" or "标签"
    QString mStrSouType;        // "表达式", "公式" or any other kind (text, SQL)
    QString mStrObjectName;     // the label edited, when known: its text may not refer back to it
    QString strExpression;      // the text, in and out
    bool BlnCancel = true;
    std::unique_ptr<clsOutsideObject> objReportDefine;  // the query-definition component
    bool blnOpenQuery = false;

    QPlainTextEdit* txtSou = nullptr;
    QPushButton* cmdAdd = nullptr;
    QPushButton* cmdMinus = nullptr;
    QPushButton* cmdMultiply = nullptr;
    QPushButton* cmdDivide = nullptr;
    QPushButton* cmdAnd = nullptr;
    QPushButton* cmdbind = nullptr;
    QPushButton* cmdBracketLeft = nullptr;
    QPushButton* cmdBreaketRight = nullptr;
    QPushButton* cmdLeft = nullptr;
    QPushButton* cmdRight = nullptr;
    QPushButton* CmdList = nullptr;
    QListWidget* LstObjects = nullptr;
    QCheckBox* chkPrev = nullptr;
    QPushButton* cmdFunc = nullptr;
    QPushButton* CmdSql = nullptr;
    QPushButton* cmdOk = nullptr;
    QPushButton* cmdCancel = nullptr;

    // Sets the buttons for the kind of object and text, and loads strExpression.
    void InitControls();
    // Shows the window (through the modal hook when one is set); call after setting the fields.
    int ShowModal();

    // Puts `text` into txtSou at the cursor and places the cursor after it.
    void InsertText(const QString& text);
    // Fills LstObjects with the report's columns or labels (by the list button's caption).
    void FillObjectList();
    // Inserts a listed name as "[" name "]" ("[PREV_" name "]" for a column with chkPrev).
    void InsertObject(const QString& name);
    // Opens the function picker; its call replaces the text.
    void OpenFunctionPicker();
    // Opens the query-definition component; the query it composes becomes the text.
    void OpenQuery();
    // Checks the trimmed text for the object and kind; closes only when it passes.
    bool Confirm();
    void Cancel();

    using ModalHook = std::function<void(frmTextInputView&)>;
    static void SetModalHook(ModalHook hook);

private:
    QPushButton* InsertButton(const QString& caption, const QString& text);
};
