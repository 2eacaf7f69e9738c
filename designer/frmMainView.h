#pragma once
#include "clsCanvasController.h"
#include "document/clsDesignerView.h"
#include <QDialog>
#include <QHash>
#include <QMainWindow>
#include <QPointer>
#include <QString>
#include <memory>

class QAction;
class QComboBox;
class QLabel;
class QMenu;
class QTextBrowser;
class QTimer;
class QToolBar;
class clsCanvasWidget;

// The designer window: menus, toolbar, keys, the page canvas between its rulers and
// scroll bars, and a status line. Every command goes to the tool-state machine or
// straight to the document's managers; the window keeps no format data of its own.
class frmMainView : public QMainWindow, public clsDesignerView
{
    Q_OBJECT
public:
    // The single window of the component, created on first use (nullptr without a
    // QApplication, so a headless host keeps the document's stand-in view).
    static frmMainView* Instance();
    // Destroys the single window, e.g. before the document it shows goes away.
    static void DestroyInstance();

    ~frmMainView() override;

    // clsDesignerView
    bool IsShown() const override { return m_blnShown; }
    void SetShown(bool shown) override { m_blnShown = shown; }
    void SetCaption(const QString& caption) override;
    QString Caption() const override;
    void RefreshFormatReport() override;
    void ShowModeless() override;
    void GiveFocus() override;

    // A menu item by its name ("mnuSave", "mnuHead", ...), or nullptr.
    QAction* Action(const QString& name) const;
    QMenu* EditMenu() const { return m_mnuEdit; }
    // Runs the toolbar button with that key (letter case ignored); False for an unknown key.
    bool TriggerToolbarKey(const QString& key);
    QStringList ToolbarKeys() const;
    QAction* ToolbarButton(const QString& key) const;

    clsCanvasWidget* Canvas() const { return m_canvas; }
    clsCanvasController* Controller() const { return m_controller.get(); }
    QString StatusText() const;
    // "已保存" and the time of the last save that was written; empty before one.
    QString SaveStatusText() const;
    // The zoom box of the toolbar.
    QComboBox* ZoomBox() const { return cmbZoom; }
    // The help window once F1 opened it, else nullptr.
    QDialog* HelpWindow() const { return m_help; }
    // The property window once it was opened, else nullptr.
    QWidget* PropertyWindow() const { return m_propertys; }

    // Puts the check marks of the five range menus in step with the ranges.
    void UpdateRangeMenus();
    // The key table; True when the key did something.
    bool HandleKey(int key, Qt::KeyboardModifiers modifiers);

    // Zoom of the canvas (1 = 100 %), remembered in the settings.
    void SetZoom(double zoom);
    double Zoom() const;
    // A percentage typed into the zoom box ("150", "150%"); one outside 25 % to 400 %
    // or not a number is refused with a message and the box shows the zoom again.
    bool SetZoomText(const QString& text);
    // The grid on the sheet and the snapping of drags, remembered in the settings.
    void SetGridShown(bool shown);
    void SetGridStep(int mm);
    void SetSnapToGrid(bool snap);
    void SetSnapToObjects(bool snap);

    // Minutes between autosaves of an unsaved format (settings, 0 = never).
    int AutosaveMinutes() const { return m_autosaveMinutes; }

public Q_SLOTS:
    // 撤销 / 重做 (Ctrl+Z; Ctrl+Y or Ctrl+Shift+Z): one step of the document's history.
    void mnuUndo_Click();
    void mnuRedo_Click();
    // Writes the unsaved format to its recovery file (removes the file when nothing is
    // unsaved); the timer calls it every AutosaveMinutes().
    void Autosave();
    void mnuOpen_Click();
    void mnuSave_Click();
    void mnuClose_Click();
    void mnuSetPrint_Click();
    void mnuExit_Click();
    void mnuCopy_Click();
    void mnuPrase_Click();
    void mnuDelete_Click();
    void mnuAddLabel_Click();
    void mnuAddCol_Click();
    void mnuAddTitle_Click();
    void mnuProp_Click();
    void mnuListField_Click();
    void mnuGroup_Click();
    void mnuFilter_Click();
    void mnuHelpList_Click();
    void mnuAbout_Click();
    // Align with code 0 top, 1 bottom, 2 left, 3 right, 4 side by side, 5 one under another.
    void AlignSelection(int code);
    // One of the five range menus ("mnuHead", "mnuFoot", "mnuPageHead", "mnuPageFoot", "mnuText").
    void ToggleRangeMenu(const QString& menuName);
    // Opens the help file in a help window.
    void ShowHelp();
    // Repaints the canvas and the rulers, and refreshes the marks and the status line.
    void RefreshView();

protected:
    void closeEvent(QCloseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    frmMainView();
    void CreateMenus();
    void CreateToolbar();
    QAction* AddItem(QMenu* menu, const QString& name, const QString& caption);
    void AddToolButton(const QString& key, const QString& tooltip, QAction* menuAction);
    void ShowContextMenu();
    void ShowPropertys();
    // The property window follows the selection, the report and its objects.
    void FollowSelection();
    bool ReportOpen() const;
    // Editing actions take input only while a report is open.
    void EnableEditing();
    void RefreshFieldList();
    void UpdateStatus(qint32 x, qint32 y);
    void EnableDialogItems();
    void CreateComfortMenus(QMenu* view);
    void SetStatusTips();
    void LoadSettings();
    void ApplyGridAndSnap();
    void UpdateCaption();
    void UpdateUndoItems();
    void AfterHistoryStep();
    void ZoomChanged(double zoom);
    void ShowZoom();
    QString ToolHint() const;

    static frmMainView* s_instance;

    bool m_blnShown = false;
    std::unique_ptr<clsCanvasController> m_controller;
    clsCanvasWidget* m_canvas = nullptr;
    QToolBar* Toolbar1 = nullptr;
    QMenu* m_mnuEdit = nullptr;
    QLabel* SelTips = nullptr;
    QLabel* labSaved = nullptr;
    QComboBox* cmbZoom = nullptr;
    QString m_caption;
    bool m_gridShown = false;
    int m_gridStepMm = 5;
    bool m_snapToGrid = true;
    bool m_snapToObjects = true;
    QTimer* m_autosave = nullptr;
    int m_autosaveMinutes = 2;
    QHash<QString, QAction*> m_actions;
    QHash<QString, QAction*> m_toolKeys;
    QStringList m_toolOrder;
    QPointer<QDialog> m_help;
    QPointer<QWidget> m_fieldView;
    QPointer<QWidget> m_propertys;
    QStringList m_selectionSeen;
    QString m_lastSelected;
    qint32 m_pointerX = 0;
    qint32 m_pointerY = 0;
};
