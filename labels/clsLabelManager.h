#pragma once
#include "clsLabel.h"
#include "document/clsFormatRow.h"
#include <QString>
#include <QStringList>
#include <memory>
#include <vector>

struct clsFunction;

// The report's labels: load, save, lookups and the properties the grid edits.
// Placing labels on the canvas is the designer's; it reaches the manager through
// the refresh hook below.
class clsLabelManager
{
public:
    std::vector<std::unique_ptr<clsLabel>> Labels;

    // Reads the report's labels; never reports to the user. A report without labels
    // (or whose rows cannot be read) gets the default title label.
    void LoadReportLabels(qint32 ID, bool& ok);
    // Rewrites the report's label rows; `ok` is True when every row was written.
    void SaveReportLabels(qint32 ID, bool& ok);
    // The same without a database: the labels from stored rows (of this kind, in
    // their order), and the rows a save writes.
    // A format without labels gets the default title label, unless `exactly` (undo and
    // redo put back a format as it was).
    void LoadRows(qint32 ID, const std::vector<const clsFormatRow*>& rows, bool exactly = false);
    void AppendRows(std::vector<clsFormatRow>& rows) const;
    // Appends the title label "报表标题" in the title range; the format is not marked changed.
    void AddDefaultLabels();

    // True when a label of that name (argument trimmed, case ignored) exists.
    bool InLabels(const QString& StrName) const;
    // The label's own font (changes act on the label), or nullptr when there is no such label.
    clsFont* GetFontPropObject(const QString& StrName) const;

    // Property grid: the text shown for a property (empty for one it does not know).
    QString GetLabelProperty(const QString& StrName, const QString& PropName) const;
    // Checks and stores an entered value. False when refused (the user has been told)
    // or when the value does not convert; `StrName` receives the new name after a rename.
    bool EditLabelProperty(QString& StrName, const QString& PropName, const QString& Value);
    // Makes the label show the formula `formulaText` of the catalogue function `func`,
    // unless the function is limited to range kinds that do not include the label's range.
    bool SetLabelFunction(const QString& StrName, const clsFunction* func, const QString& formulaText);
    // Takes the font chosen in the font dialog.
    bool SetLabelFont(const QString& StrName, const clsFont& font);

    // Label references: an expression names labels as operands, a formula names them
    // in the arguments of its label parameters. LabelCycle answers the chain by which
    // `label`, called `name` and showing `text` as a source of kind `kind` ("表达式" or
    // "公式"), would depend on itself ("标签1", "标签2", "标签1"), or nothing. It reads
    // each label's source once, so it is linear in the texts and the references.
    QStringList LabelCycle(const clsLabel& label, const QString& name, const QString& kind, const QString& text) const;
    // False, after telling the user the chain, when the label would depend on itself.
    bool CheckLabelCycle(const QString& StrName, const QString& kind, const QString& text) const;

    // Canvas hook: the designer redraws the label's element after a change.
    void RefreshLabelsList(const QString& StrName);

    // Canvas layout, written into the document's scene. Label records keep positions
    // relative to their range; only the views move.
    //
    // The layout pass places a shown label's view at its range's top.
    void PlaceLabelView(clsLabel& label, qint32 rangeTop);
    // Ask for a layout pass: the views follow the records there.
    void ReDrawLabels(const QString& StrRange, qint32 rangeTop, bool visible);
    // Shows or hides the views of the range's labels and sets their BlnVisibled.
    void HideRnageAllLabels(const QString& StrRange, bool visible);
    // Moves the views of the range's labels to a new range top.
    void MoveRangelables(const QString& StrRange, qint32 rangeTop);
    // Brings the views of the shown labels to their records' places, with the
    // selection marks of the selected ones.
    void NewPartListobject();

    // Editing on the canvas. Positions x, y are canvas twips; the records keep
    // positions relative to their range.
    //
    // Draws a new label into a range (refused in the body range). Width and height 0
    // give 1000 x 300. With a template the template itself is added under the new
    // name, beside where it was. Answers the new label, or nullptr when refused.
    clsLabel* AddLabels(const QString& StrRange, qint32 x, qint32 y, qint32 Width = 0, qint32 Height = 0,
                        std::unique_ptr<clsLabel> templateLabel = nullptr);
    // The next free name "标签" + (count + k).
    QString NewLabelName() const;

    // Selection marks.
    bool LabelSelected(const QString& StrName) const;
    void SetSelectLabelObject(const QString& StrName, bool single);
    void UnSelectedLabel(const QString& StrName);
    void ClearLabelObject(const QString& StrName);
    void UnSelectedAllLabel();
    void ClearLabels();
    // Shows the size handles around every selected label's view.
    void ListSelectedObject();
    bool HasSelection() const;

    // Moves every selected label; a range-bound label that would leave its range is
    // refused with a message and stays.
    void MoveSelectedLabels(qint32 dx, qint32 dy);
    // Drags one edge (0 top, 1 bottom, 2 left, 3 right) of every selected label.
    void ChangeSelectedObjectsSize(qint32 dx, qint32 dy, qint32 edge);
    // 0 tops, 1 bottoms, 2 lefts, 3 rights, 4 side by side, 5 one under another.
    void MoveAllObjectsOrientation(qint32 mode);
    // Removes the selected labels and their views.
    void DeleteLabels();
    // Removes every label of a range that is going away; answers how many.
    int DeleteRangeLabels(const QString& StrRange);
    // Copy (True): the selected labels become the ones to paste, older marks go.
    // Paste (False): a copy of every marked label is added beside it. Answers how
    // many labels were marked or added.
    int CopyLabels(bool blnCopy);

    // The label of that name (case ignored, trimmed when asked), or nullptr.
    clsLabel* FindLabel(const QString& StrName, bool trimmed = true) const;

    // The stored font text: Bold, Charset, Italic, Name, Size, Strikethrough, Underline, Weight.
    static QString FontToText(const clsFont& font);
    // Applies a stored font text; pieces that do not convert leave their property as it was.
    static void TextToFont(const QString& text, clsFont& font);

private:
    static void ParseFontText(const QString& text, clsFont& font);
    bool AcyclicSource(const clsLabel& label, const QString& name, const QString& kind, const QString& text) const;

    qint32 m_lngID = 0;
};
