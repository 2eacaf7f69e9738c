#pragma once
#include "clsRepcol.h"
#include "clsTitle.h"
#include "document/clsFormatRow.h"
#include "designer/clsSceneAlign.h"
#include <QHash>
#include <QString>
#include <QStringList>
#include <QVariant>
#include <memory>
#include <vector>

class clsConnection;

// The report's columns and composite titles, with their groups, sums and help id.
//
// Columns and titles are found by name with a case-insensitive comparison. The lists
// are public (the canvas and the windows walk and edit them), so no name index is
// kept alongside them: single lookups scan, and the bulk routines (load, save, the
// title link step, the level assignment) build a local index for the duration of the
// call, which keeps them linear in the size of the report.
class clsFieldsManager
{
public:
    std::vector<std::unique_ptr<clsRepcol>> Cols;
    std::vector<std::unique_ptr<clsTitle>> Titles;

    // Columns (ModeEx 0), titles (5), group rows (3), sum rows (4) and the help id (22)
    // of report `ID`; `ok` is True when at least one column was loaded.
    void LoadAllObjects(qint32 ID, bool& ok);
    // Validates, derives the title grid from the drawn layout and rewrites every row.
    // `ok` is False only when a statement failed (already reported).
    void SaveAllObjects(bool& ok);
    // The same without a database: loading from stored rows of the kinds below (each
    // kind in its order), the checks and numbering a save runs first (False, after the
    // message, when the save must not happen), and the rows a save writes.
    void LoadRows(qint32 ID, const std::vector<const clsFormatRow*>& rows, bool& ok);
    bool PrepareForSave();
    void AppendRows(std::vector<clsFormatRow>& rows) const;
    // Columns, titles, group rows, sum rows and the help id.
    static const std::vector<qint32>& FieldKinds();
    // The caption a title is stored with: its own, else the part of its name after "_".
    static QString SavedTitleCaption(const clsTitle& t);

    // Lookups by name: both sides trimmed, letter case ignored.
    clsRepcol* FindCol(const QString& name) const;
    clsTitle* FindTitle(const QString& name) const;
    bool ColSelected(const QString& name) const;
    bool TitleSelected(const QString& name) const;
    // `Col` of the column whose name equals the trimmed argument (case ignored); -1 when none.
    qint32 GetCol(const QString& name) const;

    qint32 ReportHelpID() const { return m_lngHelpID; }
    void SetReportHelpID(qint32 id) { m_lngHelpID = id; }

    // Property grid access. Reading an unknown column or property gives empty text.
    // A refused set tells the user (where the system has words for it), changes
    // nothing and returns False. A rename hands the new name back in the name argument.
    void ReadColProperty(const QString& colName, const QString& propName, QString& value) const;
    bool SetColProperty(QString& colName, const QString& propName, const QVariant& value);
    void ReadTitleProperty(const QString& titleName, const QString& propName, QString& value) const;
    bool SetTitleProperty(QString& titleName, const QString& propName, const QVariant& value);

    // Names for new objects: "列名" + count + k, and "标题" + (count + 1) or "标题" + count + k.
    QString NewColName() const;
    QString NewTitleName() const;

    // Called after a column's or title's name, caption, width, alignment or visibility
    // changed, with the name its label on the canvas still carries. The canvas
    // attaches here; the model alone has nothing to refresh.
    void RefreshColLabel(const QString& oldName);
    void RefreshTitleLabel(const QString& oldName);

    // The title level check on its own: False, after the message, when the titles form
    // more than five levels.
    bool CheckTitleLevels() const;

    // Height of one title row on the canvas. Not stored: the report engine sizes its
    // rows itself; it only spaces the rows while designing.
    static constexpr qint32 DefaultTitleRowHeight = 300;
    qint32 TitleRowHeight = DefaultTitleRowHeight;
    // The height a column's caption is drawn with.
    qint32 ColHeight(const clsRepcol& c) const;
    qint32 EnabledCount() const;
    // Numbers the enabled columns 1..n by their place and lets each column's own title
    // show and hide with it.
    void Renumber();
    // The save's check of one column: an enabled column needs a field or an
    // inter-column expression. False after the message.
    bool CheckColBeforeSave(const clsRepcol& col) const;

    // Canvas layout (clsFieldsManagerLayout.cpp), written into the document's scene.
    // `Width` of the enabled column numbered `colNumber`; 0 when none.
    qint32 GetColWidth(qint32 colNumber) const;
    // Sum of GetColWidth over `count` numbers from `firstCol`; 0 when count < 1.
    qint32 GetColsWidth(qint32 firstCol, qint32 count) const;
    // Column alignment code (0 默认, 1 左对齐, 2 居中, 3 右对齐) as a label alignment.
    static clsSceneAlign GetLabelAligent(qint32 AlignStyle);
    // Column captions side by side from the left at `top`; writes X, Y, cx, cy, Height.
    void DrawColObjects(qint32 top, qint32 labelHeight, bool& ok);
    // Composite titles in the title part starting at `top` (`labelHeight` is one title
    // row); `bottom` receives the bottom of the title part.
    void DrawTitleObjects(qint32 top, qint32 labelHeight, qint32& bottom);
    void HideColObjects();
    void HideTitleObjects();

    // Editing on the canvas (clsFieldsManagerEditing.cpp). Positions are canvas twips.
    //
    // A new column (1000 x 300) at a point of the body's column part, or a new title at
    // a point of its title part; refused with a message elsewhere. The new object ends
    // selected alone; `ok` tells whether it was added.
    void AddNewCol(const QString& rangeName, qint32 X, qint32 Y, bool& ok);
    void AddNewTitle(const QString& rangeName, qint32 X, qint32 Y, bool& ok);
    clsRepcol* AddNewColObject(qint32 X, qint32 Y, qint32 width, qint32 height);
    clsTitle* AddNewTitleObject(qint32 X, qint32 Y, qint32 width, qint32 height);

    // Selection: with `exclusive` the others are cleared first, then the named object's
    // mark is inverted.
    void SetSelectedColObject(const QString& name, bool exclusive);
    void SetSelectedTitleObject(const QString& name, bool exclusive);
    void ClearColsSelected();
    void ClearTitles();
    void ClearAllSelected();
    bool HasSelection() const;
    // Size handles around the views of the selected columns, titles, or both.
    void ListSelectedCols();
    void ListSelectedTitles();
    void ListAllSelectTip();

    // Moving: an object whose moved box would leave its part of the body stays put.
    void MoveColObject(qint32 dx, qint32 dy, bool& ok);
    void MoveTitleObject(qint32 dx, qint32 dy, bool& ok);
    bool SetColNewPart(const QString& name, qint32 dx, qint32 dy);
    bool SetTitleNewPart(const QString& name, qint32 dx, qint32 dy);
    // Moves an enabled column to place `number`; its own titles go with it. False when
    // the title grid would not allow it.
    bool MoveColumnTo(clsRepcol* column, qint32 number);
    // The views of the selected objects follow their records, with their marks.
    void NewPartListCol();
    void NewPartListTitles();
    bool ReadColPart(const QString& name, qint32& X, qint32& Y, qint32& cx, qint32& cy) const;
    bool ReadTitlePart(const QString& name, qint32& X, qint32& Y, qint32& cx, qint32& cy) const;

    // Drags one edge (0 top, 1 bottom, 2 left, 3 right) of every selected column and
    // title: the vertical edges take dy, the side edges dx.
    void ChangeSelectedObjectsSize(qint32 dx, qint32 dy, qint32 side);
    // The separator under the titles was dragged: `newHeight` is the new height of the
    // title part (separator minus the body's top). Titles and columns move with it, as
    // far as the body's bounds allow.
    void ChangeTitleHeight(qint32 newHeight);
    void ReMoveDetailObjects(qint32 dy);
    // 0 tops, 1 bottoms, 2 lefts, 3 rights, 4 side by side, 5 stacked.
    void MoveAllObjectsOrientation(qint32 kind);
    // Selected columns are disabled (kept, saved with TopEx 1), selected titles removed.
    void DeleteAllSelectedObjects();

    // Dropping a field from the field list: its disabled column comes back below the
    // title separator and a title named after the field goes above it.
    bool DrawFields(const QString& field, qint32 X, qint32 Y, qint32 width, qint32 height);
    void AddColField(qint32 left, qint32 top, qint32 width, qint32 height, const QString& field, bool& ok);
    clsTitle* AddTitleField(qint32 left, qint32 top, qint32 width, qint32 height, const QString& name);
    // What the field list shows: the fields of the disabled columns, in column order.
    QStringList FieldListItems() const;

    // The group window (clsFieldsManagerGroups.cpp). Its rows: the enabled, shown columns
    // that have a field. A cell click toggles one setting of a row, refused with the
    // window's message where the rules say so; closing the window drops the group
    // ranges of every listed column that prints neither a header nor a footer.
    enum class GroupCell { Grouped, Subtotal, Running, Header, Footer };
    std::vector<clsRepcol*> GroupableColumns() const;
    bool ToggleGroupCell(const QString& column, GroupCell cell);
    void CloseGroups();

    // True when the last SaveAllObjects refused to write (validation failed); the
    // document then rolls the whole save back and keeps the format marked changed.
    bool LastSaveRefused() const { return m_blnSaveRefused; }

private:
    // The place (number among the enabled columns) a column whose centre comes to x
    // takes, not counting `except`.
    qint32 NumberAt(qint64 x, const clsRepcol* except) const;
    void PlaceInList(clsRepcol* column, qint32 number);
    clsRepcol* EnableAt(clsRepcol* column, qint32 number);
    void FitBody();
    qint64 TitlePartTop() const;
    bool PlaceTitle(clsTitle& t, qint32 top, qint32 left, qint32 width, qint32 height);
    void CellsOf(qint64 x, qint64 y, qint64 cx, qint64 cy, qint32& top, qint32& left, qint32& width,
                 qint32& height) const;
    bool AddColsObjec(const std::vector<const clsFormatRow*>& rows);
    void AddColsTitles(const std::vector<const clsFormatRow*>& rows);
    void GetGroupCols(const std::vector<const clsFormatRow*>& rows, const QHash<QString, clsRepcol*>& byName);
    void GetSumCols(const std::vector<const clsFormatRow*>& rows, const QHash<QString, clsRepcol*>& byName);
    void ReadHelpID(const std::vector<const clsFormatRow*>& rows);

    bool CheckColsBeforeSave() const;
    bool WriteRows(clsConnection& conn, qint32 id, const std::vector<clsFormatRow>& rows);

    qint32 m_lngID = 0;
    qint32 m_lngHelpID = 0;
    bool m_blnSaveRefused = false;
};
