#pragma once
#include "clsFormatSnapshot.h"
#include "clsPrintSetting.h"
#include <QString>
#include <functional>
#include <future>
#include <memory>

class clsCanvasScene;
class clsConnection;
class clsFormatHistory;
class clsRecoveryStore;
class QUndoStack;
class clsDesignerView;
class clsExpressionManager;
class clsFunctionManager;
class clsLabelManager;
class clsRangeManager;
class clsFieldsManager;
class clsReportFilter;
class clsMenuManager;
class clsPropertysManager;

// The component's entry object: opens a report's format from the host's database,
// owns every manager, shows the designer and saves the format back.
class clsDocument
{
public:
    clsDocument();
    ~clsDocument();
    clsDocument(const clsDocument&) = delete;
    clsDocument& operator=(const clsDocument&) = delete;

    // Public fields the host reads and writes. The connection is the host's.
    clsConnection* m_AdoConn = nullptr;
    qint32 m_lngReportID = 0;
    QString m_strReportName;
    QString m_strSystemID;
    QString m_strOprName;

    clsPrintSetting* GetPrintObject() const { return m_objPrintSetting.get(); }
    bool UserDefine() const { return m_blnUserDefine; }
    bool DocChanged() const { return m_blnDocChanged; }
    void SetDocChanged(bool changed) { m_blnDocChanged = changed; }
    bool RunMode() const;
    void SetRunMode(bool runMode);

    bool OpenDocument(clsConnection* Adoconn, const QString& StrReportName, const QString& StrSystemID,
                      const QString& StrOprName);
    // With blnEnd false the report is closed: its records and canvas go, and the
    // document is not open (IsOpen) until another report is opened.
    void CloseDocument(bool blnEnd);
    // Before work would be discarded (another report opened, the window closed): with
    // unsaved changes asks "格式定义已经改变是否保存?" with 是, 否 and 取消. True when
    // the caller may go on: nothing changed, 否, or 是 and the save was written. 取消,
    // or a save that wrote nothing, keeps everything. After 否 the format is still
    // marked changed; the caller drops it (an open that fails must not).
    bool ConfirmDiscard();
    void SaveReportFormat();

    bool LoadPrintSetting(qint32 LngReportID);
    bool SavePrintSetting(qint32 LngReportID);
    bool GetPrintSetting(QString& StrPrintDrive, qint32& LngPaperType, qint32& LngOrientation, qint32& left,
                         qint32& Right, qint32& Button, qint32& top, bool& blnListFrame) const;
    void SetPrintSetting(const QString& StrPrintDrive, qint32 LngPaperType, qint32 LngOrientation, qint32 left,
                         qint32 Right, qint32 Button, qint32 top, bool blnListFrame);

    // In-component accessors: the current instance of each manager, or nullptr.
    clsExpressionManager* ExpressionManager() const { return m_objExpression.get(); }
    clsFunctionManager* FunctionManager() const { return m_objFunction.get(); }
    clsLabelManager* LabelManager() const { return m_objLabel.get(); }
    clsRangeManager* RangeManager() const { return m_objRange.get(); }
    clsFieldsManager* FieldsManager() const { return m_objFields.get(); }
    clsReportFilter* ReportFilter() const { return m_objFilter.get(); }
    clsMenuManager* MenuManager() const { return m_objMenu.get(); }
    clsPropertysManager* PropertysManager() const { return m_objPropertys.get(); }

    // What the designer shows on its canvas. Created with the document and kept across
    // opens, so the window's elements live as long as the document does; a full
    // redraw clears it first (clsRangeManager::DeleteAllObjects).
    // The canvas, laid out for the records as they now are.
    clsCanvasScene* Scene() const;
    // The canvas is laid out from the records in one pass, and again whenever an edit
    // marked it out of date; readers of the canvas call EnsureLayout first.
    void MarkLayoutDirty() { m_blnLayoutDirty = true; }
    // A full pass is starting: nothing is pending any more (a reader of the canvas
    // during the pass must not start another one).
    void LayoutStarting() { m_blnLayoutDirty = false; }
    bool LayoutDirty() const { return m_blnLayoutDirty; }
    void EnsureLayout();

    // The format as a save would write it, and the format put back from a snapshot (the
    // selection and the canvas are the caller's to redraw). A snapshot without columns
    // is refused and changes nothing. Both need an open report.
    clsFormatSnapshot TakeSnapshot() const;
    bool RestoreSnapshot(const clsFormatSnapshot& snapshot);
    // True once a report is open: every manager is there.
    bool IsOpen() const;

    // Whether the last SaveReportFormat wrote and committed the format.
    bool LastSaveWritten() const { return m_blnLastSaveWritten; }
    // Why the last SaveReportFormat wrote nothing, in the user's words; empty after a
    // written save. The save has told the user already: in a message, or in RunMode,
    // where messages are silenced, in the prompt's log.
    QString LastSaveProblem() const { return m_strLastSaveProblem; }

    // Undo and redo. A step is closed at the end of each user gesture (the canvas
    // controller, the property, groups and print-settings windows call CommitStep with
    // what the gesture did, e.g. "移动标签"); the step holds what changed since the last
    // step and nothing is recorded when the format did not change. A drag is one step.
    // The stack is for reading its texts and clean state; Undo and Redo go through
    // here, which puts the format back, lays it out again and keeps the selection of
    // the objects that are still there. A save marks the current step as saved:
    // stepping away from it marks the format changed again.
    QUndoStack* UndoStack() const;
    const clsFormatHistory& History() const { return *m_history; }
    bool CommitStep(const QString& text);
    bool Undo();
    bool Redo();
    // The one place the history starts over: after each open, and on closing.
    void ResetHistory();

    // Autosave and recovery. WriteRecovery keeps the unsaved format in the report's
    // recovery file (and removes the file once nothing is unsaved); a save and a clean
    // close remove it. OfferRecovery asks, when a file is left from a designer that
    // ended without either, whether to put that format in; taken, it becomes an undo
    // step and the format is marked changed, the database untouched until a save.
    bool WriteRecovery(QString* problem = nullptr);
    void DiscardRecovery();
    bool OfferRecovery();
    clsRecoveryStore RecoveryStore() const;

    // The designer window is one instance the document shows but does not own. The
    // component installs the provider; without one a headless view stands in. Answers
    // the provider it replaces, so a tool that opens reports unseen can put it back.
    static std::function<clsDesignerView*()> SetDesignerProvider(std::function<clsDesignerView*()> provider);
    static clsDesignerView* Designer();

private:
    // The rows a report was opened from, kept until the history first needs the format
    // as opened.
    struct OpenedRows;

    void InitDocument();
    // Reads a report's whole format into this (fresh) document; false when it cannot
    // be opened, which the user has been told. `read` gets the rows it was made from.
    // `byName`: the format is read by the report's name (as it was read ahead).
    bool LoadFormat(clsConnection* conn, qint32 id, const QString& reportName, const QString& systemId,
                    const QString& oprName, bool userDefine, bool byName, std::shared_ptr<const OpenedRows>& read);
    // Columns, print settings, ranges and labels from a format's rows, in that order;
    // false, after the columns, when there are none (outside RunMode).
    bool LoadRecords(const std::vector<const clsFormatRow*>& rows);
    // The format as an open of `rows` leaves it, laid out, made again in a document of
    // its own without a word to the user (the open has said what there was to say).
    static clsFormatSnapshot OpenedFormat(const OpenedRows& rows, qint32 id);
    // Takes over a freshly loaded document's report, keeping this document's canvas.
    void TakeFormatFrom(clsDocument& other);
    void ReleaseAll();
    // The report's records and managers; the connection, subsystem and operator stay.
    void ReleaseFormat();
    qint32 FindReportDefine(const QString& StrReportName, const QString& StrSystemID, bool& userDefine);
    // Each returns an empty text when it did its work, or why it could not.
    QString LockReportForSave();
    QString UnlockReportForSave();
    void RefuseSave(const QString& reason, bool alreadyReported = false);
    void ShowDesigner();
    bool WriteFormat(std::future<clsFormatSnapshot>& taking, clsFormatSnapshot& snapshot);
    // TakeSnapshot in two halves: the vector sized for the format, then its rows (which
    // may be made on another thread while nothing changes the records).
    clsFormatSnapshot SnapshotSpace() const;
    void FillSnapshot(clsFormatSnapshot& snapshot) const;
    void LoadPrintRow(const std::vector<const clsFormatRow*>& rows);
    bool PutRecorded();
    bool RestoreRows(const clsFormatSnapshot& snapshot, bool exactly);
    static bool HasDesignerWindow();

    std::unique_ptr<clsPrintSetting> m_objPrintSetting;
    bool m_blnDocChanged = false;
    std::unique_ptr<clsExpressionManager> m_objExpression;
    std::unique_ptr<clsFunctionManager> m_objFunction;
    std::unique_ptr<clsLabelManager> m_objLabel;
    std::unique_ptr<clsRangeManager> m_objRange;
    std::unique_ptr<clsFieldsManager> m_objFields;
    std::unique_ptr<clsReportFilter> m_objFilter;
    std::unique_ptr<clsMenuManager> m_objMenu;
    std::unique_ptr<clsPropertysManager> m_objPropertys;
    bool m_blnUserDefine = false;
    bool m_blnLastSaveWritten = false;
    bool m_blnLayoutDirty = true;
    QString m_strLastSaveProblem;
    std::unique_ptr<clsCanvasScene> m_objScene;
    std::unique_ptr<clsFormatHistory> m_history;
};
