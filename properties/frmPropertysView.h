#pragma once
#include "ClsPropDiscription.h"
#include "document/clsFont.h"
#include <QWidget>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

class QComboBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;
class QTableWidget;
class QValidator;

// The designer's property window: one object's properties in a two-column grid, an
// object list to switch between the report's objects, and the in-place editors.
// Every accepted value is written through the manager of the object's kind.
class frmPropertysView : public QWidget
{
    Q_OBJECT
public:
    explicit frmPropertysView(QWidget* parent = nullptr);

    QComboBox* cmbObject = nullptr;
    QTableWidget* MSHFlexGrid1 = nullptr;
    QLineEdit* txtInput = nullptr;
    QPushButton* cmdRefrech = nullptr;
    QListWidget* lstRefresh = nullptr;
    QLabel* labMsg = nullptr;

    // Shows object `name` of `kind` ("标签", "列", "区域" or "标题"); with `multiple` the
    // properties common to a selection of several objects.
    void InitPropertys(const QString& kind, const QString& name, bool multiple);

    QString Kind() const { return m_kind; }
    QString ObjectName() const { return m_name; }
    // Grid row of a caption (case ignored), or -1.
    int RowOf(const QString& caption) const;
    QString ValueAt(int row) const;

    // Starts editing the value of `row`; false when the row is read-only or missing.
    bool BeginEdit(int row);
    // The editor showing for the row being edited (text box or button), or nullptr.
    QWidget* Editor() const;
    // Writes `value` for the row being edited; the cell changes only when the write
    // succeeds. A number outside its row's limits, or a value the object's manager
    // refuses without saying why, is refused with a message; the editor stays open.
    bool CommitValue(const QString& value);
    // Commits what is typed in the text box when it differs from the cell (focus
    // leaving the box, another cell or object chosen, the grid scrolled). True when
    // nothing was pending or the value was taken; False when it was refused, which the
    // user has been told (once for the same text).
    bool CommitPending();
    // Esc: the edit is dropped and the object stays as it was.
    void CancelEdit();
    // The button at the cell: opens the choice list, the expression editor or the font dialog.
    void PressRefresh();
    // Takes an entry of the choice list as the new value.
    bool ChooseFromList(const QString& entry);
    // Switches to the object of a cmbObject entry.
    void ChooseObject(const QString& entry);
    // Keeps the window up with the designer: shows `name` of `kind` (the object selected
    // last), its values as they now are and the report's objects as they now are. An
    // object that no longer exists is not shown; nothing is disturbed while a value is
    // being committed.
    void Follow(const QString& kind, const QString& name, bool multiple);

    // The font dialog; tests answer it instead of a real dialog (false = cancelled).
    using FontHook = std::function<bool(clsFont&)>;
    static void SetFontHook(FontHook hook);

    // "(" kind ")" and the blanks the object list puts before a name of that kind.
    static QString EntryText(const QString& kind, const QString& name);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    const std::vector<std::unique_ptr<ClsPropDiscription>>* PropertyList() const;
    const ClsPropDiscription* Description(int row) const;
    void FillObjectList();
    // The object list's entries for the open report: ranges, labels, columns, titles.
    QStringList ObjectEntries() const;
    void FillGrid();
    QString ReadValue(const QString& caption) const;
    bool WriteValue(const QString& caption, const QString& value);
    bool WriteLabel(QString& name, const QString& caption, const QString& value);
    void OpenExpressionEditor();
    void OpenFontDialog();
    void HideEditors();
    void Redraw();
    QRect ValueCell(int row) const;
    void CellChosen(int row, int col);
    // Commits the text box: always (Enter, an arrow key) or only when it holds a change.
    bool CommitTyped(bool always);
    // A typed number outside the limits of its row: the message, or empty when the
    // text is acceptable (or the row is not a number).
    QString NumberProblem(const ClsPropDiscription& desc, const QString& text) const;
    // What a number property takes, in the user's words; empty for other properties.
    QString NumberRule(const ClsPropDiscription& desc) const;
    // The validator of a typed number's row (lengths or counts), or nullptr for text.
    const QValidator* NumberValidatorOf(const ClsPropDiscription& desc) const;

    QString m_kind;
    QString m_name;
    bool m_multiple = false;
    QStringList m_entries;
    int m_editRow = -1;
    bool m_committing = false;
    QValidator* m_lengths = nullptr;
    QValidator* m_counts = nullptr;
    // The last typed text that was refused, so leaving the box again does not repeat the message.
    std::optional<QString> m_refused;
};
