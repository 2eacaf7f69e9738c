#pragma once
#include "clsRange.h"
#include "document/clsFormatRow.h"
#include <QString>
#include <array>
#include <memory>
#include <vector>

struct clsSceneRuler;

// The report's bands: load, save, lookups, visibility and the properties the grid
// shows. Drawing and laying the bands out on the canvas is left to the designer,
// which reaches this manager through the hooks below.
class clsRangeManager
{
public:
    std::vector<std::unique_ptr<clsRange>> Ranges;
    // Heights of the composite-title block and of the column block inside the body
    // range; the body layout writes them, the column code reads them.
    qint32 pTitleHeight = 0;
    qint32 pColHeight = 0;

    // Reads the report's ranges; a report without any gets the five standard ones
    // (not written until the next save). `ok` is False after a reported failure.
    void LoadRangeDefine(qint32 ID, bool& ok);
    // Rewrites the report's range rows; a hidden group range is left out.
    void SaveRangeDefine(qint32 ID, bool& ok);
    // The same without a database: the ranges from stored rows (of this kind, in their
    // order; none gives the five standard ones), and the rows a save writes.
    void LoadRows(qint32 ID, const std::vector<const clsFormatRow*>& rows, bool& ok);
    void AppendRows(std::vector<clsFormatRow>& rows) const;
    // Whether a save writes the range: every one but a hidden group range.
    static bool Saved(const clsRange& range) { return range.strGroupField.isEmpty() || range.blnVisible; }

    // Appends a hidden range; a duplicate name (trimmed, case ignored) is refused.
    bool AddNewRange(const QString& StrName, const QString& StrRangeType, const QString& strGroupField);
    // Name of the first range of that kind, or empty. The group field is not matched:
    // every caller asks for one of the single ranges.
    void RangeTypeToName(const QString& StrRangeType, const QString& strGroupField, QString& StrName) const;
    QString GetRangeType(const QString& StrName) const;
    bool GetRangeVisible(const QString& StrName) const;
    bool GetRangePart(const QString& StrName, qint32& left, qint32& top, qint32& Width, qint32& Height) const;
    bool SetRangePart(const QString& StrName, qint32 left, qint32 top, qint32 Width, qint32 Height);
    // Adds `change` (may be negative) to the height, never below what the range holds.
    void ChangeRangeHeight(const QString& StrName, qint32 change);
    // Grows the range to hold what it holds, after an edit of its content.
    void FitRange(const QString& StrName);
    void SetRangeVisible(const QString& StrName, bool visible);
    // Name of the visible range under canvas height Y (X plays no part); a point below
    // every range belongs to the lowest one.
    void GetPointRange(qint32 X, qint32 Y, QString& StrName) const;

    // Property grid: the text shown for a property, and storing an entered value.
    // Lengths are shown and entered in millimetres.
    QString ReadRangeProperty(const QString& StrName, const QString& PropName) const;
    bool SetRangeProperty(const QString& StrName, const QString& PropName, const QString& Value);

    // Check marks of the window's menu items that show or hide the standard ranges.
    // An empty name sets all five; a name other than a standard range's sets none.
    void ListMenu(const QString& StrName, bool mark);
    // Mark of one of "mnuHead", "mnuFoot", "mnuPageHead", "mnuPageFoot", "mnuText".
    bool MenuChecked(const QString& menuName) const;

    // Canvas layout. Everything is written into the document's scene (twips); without
    // a document or scene these do nothing.
    //
    // The empty sheet: background, both rulers from 0 and the scroll bars.
    void DrawBackView();
    // Background of width x height millimetres at 0,0 with the drawing surface on it.
    void DrawBackRange(qint32 widthMm, qint32 heightMm);
    // One ruler, ticks counted from `start`; the V/H variants pick the window's ruler.
    void DrawVRote(clsSceneRuler& ruler, qint32 start);
    void DrawHRote(clsSceneRuler& ruler, qint32 start);
    void DrawVRotes(qint32 start);
    void DrawHRotes(qint32 start);
    // Ranges of the scroll bars, in millimetres.
    void DrawScroll(qint32 hMax, qint32 vMax);
    // Scrolling: the sheet's top (left) goes to minus that many millimetres.
    void MoveBackVRange(qint32 mm);
    void MoveBackHRange(qint32 mm);
    // The marks at the paper width of the print setting's paper and orientation.
    void DrawPaperWidthTopic();
    // The one layout pass: every strip, label, title, column, the separator and the
    // selection marks placed from the records, starting from an empty canvas. Laying
    // out twice gives the same canvas; nothing the canvas shows lives anywhere else.
    void LayoutAll();
    // The least height a range needs for what it holds: its labels, or for the body
    // the title rows, the separator and the columns.
    qint32 ContentHeight(const clsRange& range) const;
    // Full redraw from nothing.
    void DrawAllObjects();
    // What the designer draws when it shows a report: the sheet where there is none
    // yet, the paper width, and everything laid out from the records in one pass.
    void DrawFormatReport();
    // Lays the visible ranges out from the top and draws their strips and objects.
    void DrawAllRanges();
    // Lays the ranges out again after one was shown or hidden.
    void ReDrawAllRangesAndObject();
    // Draws one range's strip at y, moves y past the range and draws its labels;
    // the detail variant also lays out the body's titles and columns.
    void DrawRange(const QString& StrName, qint32 Height, qint32& y, bool visible);
    void DrawDetailRange(const QString& StrName, qint32 Height, qint32& y, bool visible);
    // Hides the range's strip and its labels.
    void HideRangeViews(const QString& StrName);
    // Unloads every strip, label, column and title element of the canvas.
    void DeleteAllObjects();
    // Shows or hides every element of one kind: "标签", "列", "区域" or "标题".
    void DispalyAllObjects(const QString& kind, bool visible);

    // The range of that name (case ignored, trimmed when asked), or nullptr.
    clsRange* FindRange(const QString& StrName, bool trimmed = true) const;
    // The shown range laid out just above the caption strip of `StrName` (the range whose
    // lower edge the strip is); empty for the topmost strip or an unknown name.
    QString RangeAboveStrip(const QString& StrName) const;

    // Group ranges (clsRangeManagerGroups.cpp). A column's group header range is the
    // range of kind "分组标题区" whose group field is the column, its footer the one of
    // kind "分组脚注区"; `header` picks which.
    clsRange* FindGroupRange(const QString& column, bool header) const;
    // Whether that range exists and is visible.
    bool GroupRangeShown(const QString& column, bool header) const;
    // Appends a new shown group range "[分组]" + column + "_标题" (or "_脚注"), printed
    // only, 1000 twips high. Answers the new range.
    clsRange* AddGroupRange(const QString& column, bool header);
    // Shows (creating it when missing) or hides the column's group range.
    void SetGroupRangeShown(const QString& column, bool header, bool shown);
    // Takes every group header and footer range of the column out of the list;
    // answers how many were removed.
    int RemoveGroupRanges(const QString& column);

private:
    void LayoutBody(clsRange& body);
    qint32 m_lngID = 0;
    std::array<bool, 5> m_menuChecked{};
};
