#include "frmMainView.h"
#include "clsCanvasScene.h"
#include "clsCanvasWidget.h"
#include "frmAbout.h"
#include "frmFormatTransfer.h"
#include "document/clsDocument.h"
#include "document/clsFormatHistory.h"
#include "document/clsReportFilter.h"
#include "document/modPublicDefine.h"
#include "document/modWindows.h"
#include "ranges/clsRangeManager.h"
#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QComboBox>
#include <QInputDialog>
#include <QLineEdit>
#include <QRegularExpressionValidator>
#include <QSettings>
#include <QTime>
#include <QTimer>
#include <QDialog>
#include <QDialogButtonBox>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QIcon>
#include <QKeyEvent>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QStatusBar>
#include <QTextBrowser>
#include <QTextStream>
#include <QToolBar>
#include <QVBoxLayout>

#if __has_include("document/frmReportList.h")
#include "document/frmReportList.h"
#define QXRF_HAVE_REPORT_LIST 1
#endif
#if __has_include("document/frmPrintSetting.h")
#include "document/frmPrintSetting.h"
#define QXRF_HAVE_PRINT_SETTING 1
#endif
#if __has_include("columns/frmGroupsView.h")
#include "columns/frmGroupsView.h"
#define QXRF_HAVE_GROUPS_VIEW 1
#endif
#if __has_include("columns/frmFieldView.h")
#include "columns/frmFieldView.h"
#define QXRF_HAVE_FIELD_VIEW 1
#endif
#if __has_include("properties/frmPropertysView.h")
#include "properties/frmPropertysView.h"
#define QXRF_HAVE_PROPERTYS_VIEW 1
#endif

namespace {
// The zoom a user may type, in whole percent, and what is told when it is not kept to.
const int kLowestZoom = int(std::lround(clsCanvasWidget::MinZoom * 100));
const int kHighestZoom = int(std::lround(clsCanvasWidget::MaxZoom * 100));

QString ZoomRule()
{
    return QStringLiteral("缩放比例必须是 %1% 到 %2% 之间的整数。").arg(kLowestZoom).arg(kHighestZoom);
}

// The five range menus and the range kind each shows or hides.
struct RangeMenu
{
    const char* name;
    const char* caption;
    const char* rangeType;
};
constexpr RangeMenu kRangeMenus[] = {
    {"mnuHead", "标题区域", "标题区"},
    {"mnuFoot", "脚注区域", "脚注区"},
    {"mnuPageHead", "页标题区域", "页眉区"},
    {"mnuPageFoot", "页脚注区域", "页尾区"},
    {"mnuText", "正文区域", "正文区"},
};

QString Str(const char* text)
{
    return QString::fromUtf8(text);
}

const QString kHelpResource = QStringLiteral(":/qxrf/help/自定义报表.html");

// Settings of the designer (in the host's organisation and application).
const QString kZoomKey = QStringLiteral("designer/zoomPercent");
const QString kGridKey = QStringLiteral("designer/gridShown");
const QString kGridStepKey = QStringLiteral("designer/gridStepMm");
const QString kSnapGridKey = QStringLiteral("designer/snapToGrid");
const QString kSnapObjectsKey = QStringLiteral("designer/snapToObjects");
const QString kAutosaveKey = QStringLiteral("designer/autosaveMinutes");
constexpr int kMinGridMm = 1;
constexpr int kMaxGridMm = 100;

// What each command does, for the status line while the pointer is on its menu item.
struct Hint
{
    const char* name;
    const char* text;
};
constexpr Hint kHints[] = {
    {"mnuUndo", "撤销上一步修改 (Ctrl+Z)"},
    {"mnuRedo", "重做撤销的修改 (Ctrl+Y 或 Ctrl+Shift+Z)"},
    {"mnuOpen", "打开另一张报表的格式"},
    {"mnuSave", "把格式保存到数据库 (Ctrl+S)"},
    {"mnuClose", "关闭这张报表的格式定义"},
    {"mnuSetPrint", "设置打印机、纸张、方向、边距和帮助ID"},
    {"mnuExit", "关闭设计窗口"},
    {"mnuCopy", "复制选中的标签"},
    {"mnuPrase", "把复制的标签粘贴到原标签旁边"},
    {"mnuDelete", "删除选中的标签、列和列标题"},
    {"mnuSelectAll", "选中所有显示的标签、列和列标题"},
    {"mnuAddLabel", "增加标签：随后在正文区以外的区域中单击放置"},
    {"mnuAddCol", "增加列：随后在正文区的列部分单击放置"},
    {"mnuAddTitle", "增加列标题：随后在正文区的标题部分单击放置"},
    {"mnuTop", "选中的对象上边对齐"},
    {"mnuButton", "选中的对象下边对齐"},
    {"mnuLeft", "选中的对象左边对齐"},
    {"mnuright", "选中的对象右边对齐"},
    {"mnuColAutoLeft", "选中的对象一个挨一个横排"},
    {"mnuTitleAuotLeft", "选中的对象一个挨一个竖排"},
    {"mnuProp", "显示选中对象的属性 (F4)"},
    {"mnuListField", "显示可以拖放到正文区的字段"},
    {"mnuGroup", "设置列的分组、小计和合计"},
    {"mnuFilter", "设置报表的条件"},
    {"mnuHead", "显示或隐藏标题区"},
    {"mnuFoot", "显示或隐藏脚注区"},
    {"mnuPageHead", "显示或隐藏页眉区"},
    {"mnuPageFoot", "显示或隐藏页尾区"},
    {"mnuText", "显示或隐藏正文区"},
    {"mnuZoomIn", "放大画布 (Ctrl+= 或 Ctrl+滚轮)"},
    {"mnuZoomOut", "缩小画布 (Ctrl+- 或 Ctrl+滚轮)"},
    {"mnuZoomReset", "按 100% 显示画布 (Ctrl+0)"},
    {"mnuGrid", "在图纸上显示网格"},
    {"mnuGridStep", "设置网格的间距（毫米）"},
    {"mnuSnapGrid", "显示网格时，移动和调整大小对齐到网格"},
    {"mnuSnapObjects", "移动和调整大小时对齐到其他对象的边"},
    {"mnuHelpList", "打开帮助 (F1)"},
    {"mnuAbout", "显示版本信息"},
};

// What the status line says while a tool state is under way.
constexpr Hint kToolHints[] = {
    {"AddLabel", "增加标签：在正文区以外的区域中单击放置，Esc 取消"},
    {"AddCol", "增加列：在正文区的列部分单击放置，Esc 取消"},
    {"AddTitle", "增加列标题：在正文区的标题部分单击放置，Esc 取消"},
    {"MoveObject", "移动：松开鼠标放下，Esc 取消"},
    {"ChangeObjectSize", "调整大小：松开鼠标完成，Esc 取消"},
    {"ChangeRangSize", "调整区域高度：松开鼠标完成，Esc 取消"},
    {"ChangeTitleSize", "调整标题高度：松开鼠标完成，Esc 取消"},
    {"SelectObjects", "框选：松开鼠标选中框内的对象"},
};
}

frmMainView* frmMainView::s_instance = nullptr;

frmMainView* frmMainView::Instance()
{
    if (!s_instance && qobject_cast<QApplication*>(QCoreApplication::instance()))
        s_instance = new frmMainView;
    return s_instance;
}

void frmMainView::DestroyInstance()
{
    delete s_instance;
}

frmMainView::frmMainView()
    : m_controller(std::make_unique<clsCanvasController>())
{
    setObjectName(QStringLiteral("frmMainView"));
    m_caption = QStringLiteral("定义报表格式");
    resize(960, 680);

    m_canvas = new clsCanvasWidget(this);
    m_canvas->SetController(m_controller.get());
    setCentralWidget(m_canvas);

    CreateMenus();
    SetStatusTips();
    CreateToolbar();

    SelTips = new QLabel(this);
    SelTips->setObjectName(QStringLiteral("SelTips"));
    statusBar()->addWidget(SelTips, 1);
    labSaved = new QLabel(this);
    labSaved->setObjectName(QStringLiteral("labSaved"));
    statusBar()->addPermanentWidget(labSaved);

    m_controller->onContextMenu = [this] { ShowContextMenu(); };
    m_controller->onShowProperties = [this] { ShowPropertys(); };
    m_controller->onRefreshFieldList = [this] { RefreshFieldList(); };
    m_controller->onCursorChanged = [this] { m_canvas->UpdatePointer(); };
    m_controller->onRefused = [this](const QString& why) { statusBar()->showMessage(why, 5000); };
    connect(m_canvas, &clsCanvasWidget::PointerMoved, this, [this](qint32 x, qint32 y) { UpdateStatus(x, y); });
    connect(m_canvas, &clsCanvasWidget::GestureEnded, this, &frmMainView::RefreshView);
    connect(m_canvas, &clsCanvasWidget::ZoomChanged, this, &frmMainView::ZoomChanged);
    m_autosave = new QTimer(this);
    m_autosave->setObjectName(QStringLiteral("tmrAutosave"));
    connect(m_autosave, &QTimer::timeout, this, &frmMainView::Autosave);
    LoadSettings();
    UpdateCaption();
    UpdateStatus(0, 0);
    EnableEditing();
}

frmMainView::~frmMainView()
{
    if (s_instance == this)
        s_instance = nullptr;
    // The canvas holds the controller by pointer; it goes first.
    delete m_canvas;
    m_canvas = nullptr;
}

QAction* frmMainView::AddItem(QMenu* menu, const QString& name, const QString& caption)
{
    QAction* action = menu->addAction(caption);
    action->setObjectName(name);
    m_actions.insert(name.toLower(), action);
    return action;
}

void frmMainView::CreateMenus()
{
    QMenu* file = menuBar()->addMenu(QStringLiteral("文件(&F)"));
    file->setObjectName(QStringLiteral("mnuFile"));
    m_actions.insert(QStringLiteral("mnufile"), file->menuAction());
    connect(AddItem(file, QStringLiteral("mnuOpen"), QStringLiteral("打开报表格式(&O)...")), &QAction::triggered, this, &frmMainView::mnuOpen_Click);
    connect(AddItem(file, QStringLiteral("mnuSave"), QStringLiteral("保存报表格式(&S)")), &QAction::triggered, this, &frmMainView::mnuSave_Click);
    connect(AddItem(file, QStringLiteral("mnuClose"), QStringLiteral("关闭格式定义(&C)")), &QAction::triggered, this, &frmMainView::mnuClose_Click);
    connect(AddItem(file, QStringLiteral("mnuExportFormat"), QStringLiteral("导出格式...")), &QAction::triggered, this, [this] { frmFormatTransfer::ExportFormat(this); RefreshView(); });
    connect(AddItem(file, QStringLiteral("mnuImportFormat"), QStringLiteral("导入格式...")), &QAction::triggered, this, [this] { frmFormatTransfer::ImportFormat(this); RefreshView(); });
    file->addSeparator()->setObjectName(QStringLiteral("mnuline1"));
    connect(AddItem(file, QStringLiteral("mnuSetPrint"), QStringLiteral("设置打印机...")), &QAction::triggered, this, &frmMainView::mnuSetPrint_Click);
    connect(AddItem(file, QStringLiteral("mnuExit"), QStringLiteral("退出(&E)")), &QAction::triggered, this, &frmMainView::mnuExit_Click);

    m_mnuEdit = menuBar()->addMenu(QStringLiteral("编辑(&E)"));
    m_mnuEdit->setObjectName(QStringLiteral("mnuEdit"));
    m_actions.insert(QStringLiteral("mnuedit"), m_mnuEdit->menuAction());
    QAction* undo = AddItem(m_mnuEdit, QStringLiteral("mnuUndo"), QStringLiteral("撤销"));
    undo->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Z));
    connect(undo, &QAction::triggered, this, &frmMainView::mnuUndo_Click);
    QAction* redo = AddItem(m_mnuEdit, QStringLiteral("mnuRedo"), QStringLiteral("重做"));
    redo->setShortcuts({QKeySequence(Qt::CTRL | Qt::Key_Y), QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Z)});
    connect(redo, &QAction::triggered, this, &frmMainView::mnuRedo_Click);
    connect(m_mnuEdit, &QMenu::aboutToShow, this, &frmMainView::UpdateUndoItems);
    m_mnuEdit->addSeparator()->setObjectName(QStringLiteral("mnuLineUndo"));
    // The key hints are part of the captions; the key table handles the keys themselves.
    connect(AddItem(m_mnuEdit, QStringLiteral("mnuCopy"), QStringLiteral("复制            Ctrl+C")), &QAction::triggered, this, &frmMainView::mnuCopy_Click);
    connect(AddItem(m_mnuEdit, QStringLiteral("mnuPrase"), QStringLiteral("粘贴            Ctrl+V")), &QAction::triggered, this, &frmMainView::mnuPrase_Click);
    connect(AddItem(m_mnuEdit, QStringLiteral("mnuDelete"), QStringLiteral("删除            Delete")), &QAction::triggered, this, &frmMainView::mnuDelete_Click);
    connect(AddItem(m_mnuEdit, QStringLiteral("mnuSelectAll"), QStringLiteral("全选            Ctrl+A")), &QAction::triggered, this, [this] {
        m_controller->SelectAll();
        RefreshView();
    });
    m_mnuEdit->addSeparator()->setObjectName(QStringLiteral("mnuLine2"));
    connect(AddItem(m_mnuEdit, QStringLiteral("mnuAddLabel"), QStringLiteral("增加标签")), &QAction::triggered, this, &frmMainView::mnuAddLabel_Click);
    connect(AddItem(m_mnuEdit, QStringLiteral("mnuAddCol"), QStringLiteral("增加列")), &QAction::triggered, this, &frmMainView::mnuAddCol_Click);
    connect(AddItem(m_mnuEdit, QStringLiteral("mnuAddTitle"), QStringLiteral("增加列标题")), &QAction::triggered, this, &frmMainView::mnuAddTitle_Click);
    m_mnuEdit->addSeparator()->setObjectName(QStringLiteral("mnuLine3"));
    const std::pair<const char*, const char*> aligns[] = {
        {"mnuTop", "上对齐"}, {"mnuButton", "下对齐"}, {"mnuLeft", "左对齐"},
        {"mnuright", "右对齐"}, {"mnuColAutoLeft", "对象自动横排"}, {"mnuTitleAuotLeft", "对象自动竖排"},
    };
    int code = 0;
    for (const auto& [name, caption] : aligns) {
        const int c = code++;
        connect(AddItem(m_mnuEdit, Str(name), Str(caption)), &QAction::triggered, this, [this, c] { AlignSelection(c); });
    }
    m_mnuEdit->addSeparator()->setObjectName(QStringLiteral("mnuLine4"));
    connect(AddItem(m_mnuEdit, QStringLiteral("mnuProp"), QStringLiteral("属性...")), &QAction::triggered, this, &frmMainView::mnuProp_Click);

    QMenu* view = menuBar()->addMenu(QStringLiteral("视图(&V)"));
    view->setObjectName(QStringLiteral("mnuView"));
    m_actions.insert(QStringLiteral("mnuview"), view->menuAction());
    connect(AddItem(view, QStringLiteral("mnuListField"), QStringLiteral("显示可用字段视图...")), &QAction::triggered, this, &frmMainView::mnuListField_Click);
    connect(AddItem(view, QStringLiteral("mnuGroup"), QStringLiteral("显示分组列视图...")), &QAction::triggered, this, &frmMainView::mnuGroup_Click);
    connect(AddItem(view, QStringLiteral("mnuFilter"), QStringLiteral("设置报表条件...")), &QAction::triggered, this, &frmMainView::mnuFilter_Click);
    view->addSeparator()->setObjectName(QStringLiteral("mnuLine5"));
    for (const RangeMenu& m : kRangeMenus) {
        QAction* a = AddItem(view, Str(m.name), Str(m.caption));
        a->setCheckable(true);
        a->setChecked(true);
        const QString name = Str(m.name);
        connect(a, &QAction::triggered, this, [this, name] { ToggleRangeMenu(name); });
    }
    CreateComfortMenus(view);

    QMenu* help = menuBar()->addMenu(QStringLiteral("帮助(&H)"));
    help->setObjectName(QStringLiteral("mnuHelp"));
    m_actions.insert(QStringLiteral("mnuhelp"), help->menuAction());
    connect(AddItem(help, QStringLiteral("mnuHelpList"), QStringLiteral("帮助(F1)")), &QAction::triggered, this, &frmMainView::mnuHelpList_Click);
    connect(AddItem(help, QStringLiteral("mnuAbout"), QStringLiteral("关于(&A)...")), &QAction::triggered, this, &frmMainView::mnuAbout_Click);

    EnableDialogItems();
}

void frmMainView::CreateComfortMenus(QMenu* view)
{
    // Zoom, grid and snapping: items of the View menu beyond the range switches.
    Action(QStringLiteral("mnuSave"))->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_S));
    view->addSeparator()->setObjectName(QStringLiteral("mnuLine6"));
    QAction* zoomIn = AddItem(view, QStringLiteral("mnuZoomIn"), QStringLiteral("放大"));
    zoomIn->setShortcuts({QKeySequence(Qt::CTRL | Qt::Key_Equal), QKeySequence(Qt::CTRL | Qt::Key_Plus)});
    connect(zoomIn, &QAction::triggered, this, [this] { SetZoom(clsCanvasWidget::StepZoom(Zoom(), 1)); });
    QAction* zoomOut = AddItem(view, QStringLiteral("mnuZoomOut"), QStringLiteral("缩小"));
    zoomOut->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Minus));
    connect(zoomOut, &QAction::triggered, this, [this] { SetZoom(clsCanvasWidget::StepZoom(Zoom(), -1)); });
    QAction* zoomReset = AddItem(view, QStringLiteral("mnuZoomReset"), QStringLiteral("实际大小"));
    zoomReset->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_0));
    connect(zoomReset, &QAction::triggered, this, [this] { SetZoom(1.0); });
    view->addSeparator()->setObjectName(QStringLiteral("mnuLine7"));
    QAction* grid = AddItem(view, QStringLiteral("mnuGrid"), QStringLiteral("显示网格"));
    grid->setCheckable(true);
    connect(grid, &QAction::toggled, this, &frmMainView::SetGridShown);
    connect(AddItem(view, QStringLiteral("mnuGridStep"), QStringLiteral("网格间距...")), &QAction::triggered, this, [this] {
        bool ok = false;
        const int mm = QInputDialog::getInt(this, QStringLiteral("网格间距"), QStringLiteral("网格间距（毫米）："),
                                            m_gridStepMm, kMinGridMm, kMaxGridMm, 1, &ok);
        if (ok)
            SetGridStep(mm);
    });
    QAction* snapGrid = AddItem(view, QStringLiteral("mnuSnapGrid"), QStringLiteral("对齐到网格"));
    snapGrid->setCheckable(true);
    connect(snapGrid, &QAction::toggled, this, &frmMainView::SetSnapToGrid);
    QAction* snapObjects = AddItem(view, QStringLiteral("mnuSnapObjects"), QStringLiteral("对齐到其他对象"));
    snapObjects->setCheckable(true);
    connect(snapObjects, &QAction::toggled, this, &frmMainView::SetSnapToObjects);
}

void frmMainView::SetStatusTips()
{
    for (const Hint& h : kHints)
        if (QAction* a = Action(Str(h.name)))
            a->setStatusTip(Str(h.text));
}

void frmMainView::LoadSettings()
{
    const QSettings settings;
    m_gridShown = settings.value(kGridKey, false).toBool();
    m_gridStepMm = std::clamp(settings.value(kGridStepKey, 5).toInt(), kMinGridMm, kMaxGridMm);
    m_snapToGrid = settings.value(kSnapGridKey, true).toBool();
    m_snapToObjects = settings.value(kSnapObjectsKey, true).toBool();
    for (const auto& [name, on] : {std::pair{"mnuGrid", m_gridShown}, std::pair{"mnuSnapGrid", m_snapToGrid},
                                   std::pair{"mnuSnapObjects", m_snapToObjects}}) {
        QAction* a = Action(Str(name));
        const QSignalBlocker block(a);
        a->setChecked(on);
    }
    ApplyGridAndSnap();
    const double zoom = settings.value(kZoomKey, 100).toDouble() / 100;
    {
        // Taking the remembered zoom is not a change to remember.
        const QSignalBlocker block(m_canvas);
        m_canvas->SetZoom(zoom > 0 ? zoom : 1.0);
    }
    ShowZoom();
    m_autosaveMinutes = std::clamp(settings.value(kAutosaveKey, 2).toInt(), 0, 24 * 60);
    if (m_autosaveMinutes > 0)
        m_autosave->start(m_autosaveMinutes * 60 * 1000);
    else
        m_autosave->stop();
}

void frmMainView::ApplyGridAndSnap()
{
    const qint32 step = MmToTwips(m_gridStepMm);
    m_canvas->SetGrid(m_gridShown ? step : 0);
    clsSnapSettings snap = m_controller->Snap();
    snap.gridStep = m_gridShown && m_snapToGrid ? step : 0;
    snap.toObjects = m_snapToObjects;
    m_controller->SetSnap(snap);
}

void frmMainView::SetGridShown(bool shown)
{
    m_gridShown = shown;
    QSettings().setValue(kGridKey, shown);
    if (QAction* a = Action(QStringLiteral("mnuGrid"))) {
        const QSignalBlocker block(a);
        a->setChecked(shown);
    }
    ApplyGridAndSnap();
}

void frmMainView::SetGridStep(int mm)
{
    m_gridStepMm = std::clamp(mm, kMinGridMm, kMaxGridMm);
    QSettings().setValue(kGridStepKey, m_gridStepMm);
    ApplyGridAndSnap();
}

void frmMainView::SetSnapToGrid(bool snap)
{
    m_snapToGrid = snap;
    QSettings().setValue(kSnapGridKey, snap);
    if (QAction* a = Action(QStringLiteral("mnuSnapGrid"))) {
        const QSignalBlocker block(a);
        a->setChecked(snap);
    }
    ApplyGridAndSnap();
}

void frmMainView::SetSnapToObjects(bool snap)
{
    m_snapToObjects = snap;
    QSettings().setValue(kSnapObjectsKey, snap);
    if (QAction* a = Action(QStringLiteral("mnuSnapObjects"))) {
        const QSignalBlocker block(a);
        a->setChecked(snap);
    }
    ApplyGridAndSnap();
}

void frmMainView::SetZoom(double zoom)
{
    // The canvas reports a change; the box shows the zoom even when nothing changed.
    m_canvas->SetZoom(zoom);
    ShowZoom();
}

double frmMainView::Zoom() const
{
    return m_canvas->Zoom();
}

void frmMainView::ZoomChanged(double zoom)
{
    QSettings().setValue(kZoomKey, int(std::lround(zoom * 100)));
    ShowZoom();
}

void frmMainView::ShowZoom()
{
    if (cmbZoom) {
        const QSignalBlocker block(cmbZoom);
        cmbZoom->setEditText(QStringLiteral("%1%").arg(std::lround(Zoom() * 100)));
    }
    RefreshView();
}

bool frmMainView::SetZoomText(const QString& text)
{
    QString digits = text.trimmed();
    if (digits.endsWith(QLatin1Char('%')))
        digits.chop(1);
    bool ok = false;
    const int percent = digits.trimmed().toInt(&ok);
    if (!ok || percent < kLowestZoom || percent > kHighestZoom) {
        ShowMessage(ZoomRule());
        ShowZoom();
        return false;
    }
    SetZoom(percent / 100.0);
    return true;
}

void frmMainView::UpdateCaption()
{
    // "[*]" shows as "*" while the format holds changes that are not saved.
    setWindowTitle(m_caption + QStringLiteral("[*]"));
    setWindowModified(g_objDocument && g_objDocument->DocChanged());
}

QString frmMainView::SaveStatusText() const
{
    return labSaved ? labSaved->text() : QString();
}

QString frmMainView::ToolHint() const
{
    for (const Hint& h : kToolHints)
        if (m_controller->IsState(Str(h.name)))
            return Str(h.text);
    return QString();
}

void frmMainView::EnableDialogItems()
{
    // Items whose window this build does not carry stay visible but cannot be chosen.
    QStringList missing;
#ifndef QXRF_HAVE_REPORT_LIST
    missing << QStringLiteral("mnuOpen");
#endif
#ifndef QXRF_HAVE_PRINT_SETTING
    missing << QStringLiteral("mnuSetPrint");
#endif
#ifndef QXRF_HAVE_GROUPS_VIEW
    missing << QStringLiteral("mnuGroup");
#endif
#ifndef QXRF_HAVE_FIELD_VIEW
    missing << QStringLiteral("mnuListField");
#endif
#ifndef QXRF_HAVE_PROPERTYS_VIEW
    missing << QStringLiteral("mnuProp");
#endif
    for (const QString& name : missing) {
        Action(name)->setProperty("unavailable", true);
        Action(name)->setEnabled(false);
    }
}

bool frmMainView::ReportOpen() const
{
    return g_objDocument && g_objDocument->IsOpen();
}

void frmMainView::EnableEditing()
{
    // Without an open report (closed, or none opened yet) only opening one, the view
    // settings and help remain.
    static const char* const kEditing[] = {
        "mnuSave", "mnuClose", "mnuExportFormat", "mnuImportFormat", "mnuSetPrint", "mnuSelectAll", "mnuAddLabel",
        "mnuAddCol", "mnuAddTitle", "mnuProp", "mnuListField", "mnuGroup", "mnuFilter",
    };
    const bool open = ReportOpen();
    QStringList names;
    for (const char* name : kEditing)
        names << Str(name);
    for (const RangeMenu& m : kRangeMenus)
        names << Str(m.name);
    for (const QString& name : names)
        if (QAction* a = Action(name))
            a->setEnabled(open && !a->property("unavailable").toBool());
    // The commands on the selection or the copy: greyed with nothing to act on, as in
    // any designer.
    const clsCanvasController::EditTargets targets =
        open ? clsCanvasController::CurrentEditTargets() : clsCanvasController::EditTargets();
    Action(Str("mnuCopy"))->setEnabled(targets.labelSelected);
    Action(Str("mnuPrase"))->setEnabled(targets.labelCopied);
    for (const char* name : {"mnuDelete", "mnuTop", "mnuButton", "mnuLeft", "mnuright", "mnuColAutoLeft", "mnuTitleAuotLeft"})
        Action(Str(name))->setEnabled(targets.anySelected);
}

void frmMainView::AddToolButton(const QString& key, const QString& tooltip, QAction* menuAction)
{
    // A button runs its menu item and says in the status line what the item says.
    QAction* button = Toolbar1->addAction(QIcon(QStringLiteral(":/qxrf/icons/%1.png").arg(key)), tooltip);
    button->setObjectName(key);
    button->setToolTip(tooltip);
    button->setStatusTip(menuAction->statusTip());
    button->setEnabled(menuAction->isEnabled());
    connect(menuAction, &QAction::enabledChanged, button, &QAction::setEnabled);
    connect(button, &QAction::triggered, menuAction, &QAction::trigger);
    m_toolKeys.insert(key.toLower(), button);
    m_toolOrder << key;
}

void frmMainView::CreateToolbar()
{
    Toolbar1 = addToolBar(QStringLiteral("Toolbar1"));
    Toolbar1->setObjectName(QStringLiteral("Toolbar1"));
    Toolbar1->setMovable(false);
    Toolbar1->setIconSize(QSize(16, 16));
    AddToolButton(QStringLiteral("open"), QStringLiteral("打开报表格式"), Action(QStringLiteral("mnuOpen")));
    AddToolButton(QStringLiteral("save"), QStringLiteral("保存报表格式"), Action(QStringLiteral("mnuSave")));
    AddToolButton(QStringLiteral("printset"), QStringLiteral("设置打印机"), Action(QStringLiteral("mnuSetPrint")));
    Toolbar1->addSeparator();
    AddToolButton(QStringLiteral("copy"), QStringLiteral("复制"), Action(QStringLiteral("mnuCopy")));
    AddToolButton(QStringLiteral("prase"), QStringLiteral("粘贴"), Action(QStringLiteral("mnuPrase")));
    AddToolButton(QStringLiteral("delete"), QStringLiteral("删除"), Action(QStringLiteral("mnuDelete")));
    Toolbar1->addSeparator();
    AddToolButton(QStringLiteral("top"), QStringLiteral("上对齐"), Action(QStringLiteral("mnuTop")));
    AddToolButton(QStringLiteral("button"), QStringLiteral("下对齐"), Action(QStringLiteral("mnuButton")));
    AddToolButton(QStringLiteral("left"), QStringLiteral("左对齐"), Action(QStringLiteral("mnuLeft")));
    AddToolButton(QStringLiteral("right"), QStringLiteral("右对齐"), Action(QStringLiteral("mnuright")));
    Toolbar1->addSeparator();
    AddToolButton(QStringLiteral("property"), QStringLiteral("属性"), Action(QStringLiteral("mnuProp")));
    Toolbar1->addSeparator();
    cmbZoom = new QComboBox(Toolbar1);
    cmbZoom->setObjectName(QStringLiteral("cmbZoom"));
    cmbZoom->setEditable(true);
    cmbZoom->setInsertPolicy(QComboBox::NoInsert);
    cmbZoom->setToolTip(QStringLiteral("缩放"));
    cmbZoom->setStatusTip(QStringLiteral("画布的缩放比例，25% 到 400%"));
    for (int percent : {25, 50, 75, 100, 125, 150, 200, 300, 400})
        cmbZoom->addItem(QStringLiteral("%1%").arg(percent));
    cmbZoom->setValidator(new QRegularExpressionValidator(QRegularExpression(QStringLiteral("\\s*\\d{0,3}\\s*%?\\s*")), cmbZoom));
    ExplainRefusedKeys(cmbZoom->lineEdit(), [] { return ZoomRule(); });
    cmbZoom->setMinimumContentsLength(5);
    Toolbar1->addWidget(cmbZoom);
    connect(cmbZoom, &QComboBox::textActivated, this, [this](const QString& text) { SetZoomText(text); });
    // A typed zoom applies on Enter and when the box loses the focus.
    connect(cmbZoom->lineEdit(), &QLineEdit::editingFinished, this, [this] { SetZoomText(cmbZoom->currentText()); });
}

QAction* frmMainView::Action(const QString& name) const
{
    return m_actions.value(name.trimmed().toLower(), nullptr);
}

bool frmMainView::TriggerToolbarKey(const QString& key)
{
    QAction* button = ToolbarButton(key);
    if (!button || !button->isEnabled())
        return false;
    button->trigger();
    return true;
}

QStringList frmMainView::ToolbarKeys() const
{
    return m_toolOrder;
}

QAction* frmMainView::ToolbarButton(const QString& key) const
{
    return m_toolKeys.value(key.trimmed().toLower(), nullptr);
}

void frmMainView::SetCaption(const QString& caption)
{
    m_caption = caption;
    UpdateCaption();
}

QString frmMainView::Caption() const
{
    return m_caption;
}

void frmMainView::RefreshFormatReport()
{
    if (clsRangeManager* ranges = DocumentRanges())
        ranges->DrawFormatReport();
    m_canvas->SyncScrollBars();
    RefreshView();
}

void frmMainView::ShowModeless()
{
    show();
}

void frmMainView::GiveFocus()
{
    raise();
    activateWindow();
    m_canvas->setFocus(Qt::OtherFocusReason);
}

void frmMainView::RefreshView()
{
    EnableEditing();
    UpdateRangeMenus();
    UpdateUndoItems();
    UpdateCaption();
    m_canvas->viewport()->update();
    m_canvas->update();
    for (QWidget* ruler : m_canvas->findChildren<QWidget*>(QStringLiteral("PicTopRote")) + m_canvas->findChildren<QWidget*>(QStringLiteral("picLeftRote")))
        ruler->update();
    UpdateStatus(m_pointerX, m_pointerY);
    FollowSelection();
}

void frmMainView::UpdateRangeMenus()
{
    const clsRangeManager* ranges = DocumentRanges();
    for (const RangeMenu& m : kRangeMenus) {
        QAction* a = Action(Str(m.name));
        if (a)
            a->setChecked(ranges ? ranges->MenuChecked(Str(m.name)) : false);
    }
}

QString frmMainView::StatusText() const
{
    return SelTips ? SelTips->text() : QString();
}

void frmMainView::UpdateStatus(qint32 x, qint32 y)
{
    m_pointerX = x;
    m_pointerY = y;
    int selected = 0;
    QString first;
    if (const clsCanvasScene* scene = DocumentScene()) {
        for (auto kind : {clsCanvasScene::Kind::Label, clsCanvasScene::Kind::Column, clsCanvasScene::Kind::Title})
            for (const auto& e : scene->Elements(kind))
                if (e->selected && scene->IsDisplayed(*e)) {
                    if (!selected)
                        first = e->name;
                    ++selected;
                }
    }
    // A tool under way says how to go on; otherwise the line shows the selection.
    QString text = ToolHint();
    if (text.isEmpty()) {
        if (selected == 1)
            text = QStringLiteral("选中: %1").arg(first);
        else if (selected > 1)
            text = QStringLiteral("选中: %1 个对象").arg(selected);
        else
            text = QStringLiteral("未选中对象");
    }
    text += QStringLiteral("    位置: %1 毫米, %2 毫米").arg(TwipsToMm(x)).arg(TwipsToMm(y));
    SelTips->setText(text);
}

// --- File menu -------------------------------------------------------------------

void frmMainView::mnuOpen_Click()
{
#ifdef QXRF_HAVE_REPORT_LIST
    frmReportList list(this);
    list.exec();
    RefreshView();
#endif
}

void frmMainView::Autosave()
{
    if (!g_objDocument)
        return;
    QString problem;
    if (g_objDocument->WriteRecovery(&problem))
        statusBar()->showMessage(QStringLiteral("已自动保存 ") + QTime::currentTime().toString(QStringLiteral("HH:mm")), 5000);
    else if (!problem.isEmpty())
        statusBar()->showMessage(QStringLiteral("自动保存失败：") + problem);
}

void frmMainView::mnuSave_Click()
{
    if (!ReportOpen())
        return;
    if (g_objDocument) {
        g_objDocument->SaveReportFormat();
        if (g_objDocument->LastSaveWritten())
            labSaved->setText(QStringLiteral("已保存 ") + QTime::currentTime().toString(QStringLiteral("HH:mm:ss")));
    }
    RefreshView();
    // The message box has gone; the status bar keeps saying why nothing was saved.
    if (g_objDocument && !g_objDocument->LastSaveWritten())
        statusBar()->showMessage(g_objDocument->LastSaveProblem());
}

void frmMainView::mnuClose_Click()
{
    if (!g_objDocument || !g_objDocument->ConfirmDiscard())
        return;
    m_controller->ClearToolState();
    g_objDocument->SetDocChanged(false);
    g_objDocument->CloseDocument(false);
    SetCaption(QStringLiteral("报表格式定义"));
    RefreshView();
}

void frmMainView::mnuSetPrint_Click()
{
#ifdef QXRF_HAVE_PRINT_SETTING
    frmPrintSetting setting(this);
    setting.exec();
    // A new paper or orientation moves the paper-width marks.
    if (clsRangeManager* ranges = DocumentRanges())
        ranges->DrawPaperWidthTopic();
    RefreshView();
#endif
}

void frmMainView::mnuExit_Click()
{
    close();
}

// --- Edit menu -------------------------------------------------------------------

void frmMainView::UpdateUndoItems()
{
    // Each item names the step it would take back or do again.
    const bool open = g_objDocument && g_objDocument->IsOpen();
    const clsFormatHistory* history = open ? &g_objDocument->History() : nullptr;
    QAction* undo = Action(QStringLiteral("mnuUndo"));
    QAction* redo = Action(QStringLiteral("mnuRedo"));
    const bool canUndo = history && history->CanUndo();
    const bool canRedo = history && history->CanRedo();
    undo->setEnabled(canUndo);
    undo->setText(canUndo ? QStringLiteral("撤销 ") + history->UndoText() : QStringLiteral("撤销"));
    redo->setEnabled(canRedo);
    redo->setText(canRedo ? QStringLiteral("重做 ") + history->RedoText() : QStringLiteral("重做"));
}

void frmMainView::mnuUndo_Click()
{
    m_controller->CancelToolState();
    if (g_objDocument && g_objDocument->Undo())
        AfterHistoryStep();
    else
        RefreshView();
}

void frmMainView::mnuRedo_Click()
{
    m_controller->CancelToolState();
    if (g_objDocument && g_objDocument->Redo())
        AfterHistoryStep();
    else
        RefreshView();
}

void frmMainView::AfterHistoryStep()
{
    // The records were put back whole: everything shown of them is drawn again (the
    // property window follows with the refresh).
    RefreshFormatReport();
    RefreshFieldList();
}

void frmMainView::mnuCopy_Click()
{
    m_controller->CopyLabels();
    RefreshView();
}

void frmMainView::mnuPrase_Click()
{
    m_controller->PasteLabels();
    RefreshView();
}

void frmMainView::mnuDelete_Click()
{
    m_controller->DeleteSelection();
    RefreshView();
}

void frmMainView::mnuAddLabel_Click()
{
    m_controller->SetToolState(QStringLiteral("addLabel"), 0, 0);
    m_canvas->UpdatePointer();
    RefreshView();
}

void frmMainView::mnuAddCol_Click()
{
    m_controller->SetToolState(QStringLiteral("addCol"), 0, 0);
    m_canvas->UpdatePointer();
    RefreshView();
}

void frmMainView::mnuAddTitle_Click()
{
    m_controller->SetToolState(QStringLiteral("AddTitle"), 0, 0);
    m_canvas->UpdatePointer();
    RefreshView();
}

void frmMainView::AlignSelection(int code)
{
    m_controller->Align(code);
    RefreshView();
}

void frmMainView::mnuProp_Click()
{
    ShowPropertys();
}

void frmMainView::ShowPropertys()
{
#ifdef QXRF_HAVE_PROPERTYS_VIEW
    if (!ReportOpen())
        return;
    if (!m_propertys) {
        auto* window = new frmPropertysView(this);
        window->setWindowFlags(Qt::Tool);
        window->setAttribute(Qt::WA_DeleteOnClose);
        m_propertys = window;
    }
    m_propertys->show();
    m_propertys->raise();
    FollowSelection();
#endif
}

void frmMainView::FollowSelection()
{
#ifdef QXRF_HAVE_PROPERTYS_VIEW
    // The selection in canvas order, as "kind<TAB>name".
    QStringList selected;
    const clsCanvasScene* scene = ReportOpen() ? DocumentScene() : nullptr;
    const std::pair<clsCanvasScene::Kind, const char*> kinds[] = {
        {clsCanvasScene::Kind::Label, "标签"},
        {clsCanvasScene::Kind::Column, "列"},
        {clsCanvasScene::Kind::Title, "标题"},
    };
    if (scene)
        for (const auto& [k, word] : kinds)
            for (const auto& e : scene->Elements(k))
                if (e->selected && scene->IsDisplayed(*e))
                    selected << Str(word) + QLatin1Char('\t') + e->name;
    // The object selected last: the newest addition to the selection; when the
    // selection only shrank, the one shown stays while it is still selected.
    if (selected != m_selectionSeen) {
        QString last;
        for (const QString& entry : selected)
            if (!m_selectionSeen.contains(entry))
                last = entry;
        if (last.isEmpty() && !selected.contains(m_lastSelected))
            last = selected.isEmpty() ? QString() : selected.last();
        if (!last.isEmpty())
            m_lastSelected = last;
        m_selectionSeen = selected;
    }
    if (!m_propertys || !m_propertys->isVisible())
        return;
    auto* window = static_cast<frmPropertysView*>(m_propertys.data());
    QString kind = window->Kind();
    QString name = window->ObjectName();
    bool multiple = false;
    if (selected.contains(m_lastSelected)) {
        kind = m_lastSelected.section(QLatin1Char('\t'), 0, 0);
        name = m_lastSelected.section(QLatin1Char('\t'), 1);
        // Several of one kind: what they have in common.
        multiple = std::count_if(selected.begin(), selected.end(), [&](const QString& e) {
                       return e.startsWith(kind + QLatin1Char('\t'));
                   }) > 1;
    }
    window->Follow(kind, name, multiple);
#endif
}

void frmMainView::ShowContextMenu()
{
    // Not exec(): the tool state is already cleared and the menu must not hold the caller.
    // The press may have changed the selection the items act on.
    RefreshView();
    m_mnuEdit->popup(QCursor::pos());
}

// --- View menu -------------------------------------------------------------------

void frmMainView::mnuListField_Click()
{
#ifdef QXRF_HAVE_FIELD_VIEW
    if (!m_fieldView) {
        auto* window = new frmFieldView(this);
        window->setAttribute(Qt::WA_DeleteOnClose);
        m_fieldView = window;
    }
    static_cast<frmFieldView*>(m_fieldView.data())->RefreshList();
    m_fieldView->show();
    m_fieldView->raise();
#endif
}

void frmMainView::RefreshFieldList()
{
#ifdef QXRF_HAVE_FIELD_VIEW
    if (m_fieldView)
        static_cast<frmFieldView*>(m_fieldView.data())->RefreshList();
#endif
}

void frmMainView::mnuGroup_Click()
{
#ifdef QXRF_HAVE_GROUPS_VIEW
    m_controller->EndSelection();
    {
        frmGroupsView groups(this);
        groups.exec();
    }
    if (clsRangeManager* ranges = DocumentRanges())
        ranges->ReDrawAllRangesAndObject();
    RefreshView();
#endif
}

void frmMainView::mnuFilter_Click()
{
    if (!g_objDocument || !g_objDocument->ReportFilter())
        return;
    bool ok = false;
    g_objDocument->ReportFilter()->OpenFilterSetting(ok);
    RefreshView();
}

void frmMainView::ToggleRangeMenu(const QString& menuName)
{
    for (const RangeMenu& m : kRangeMenus) {
        if (menuName.compare(Str(m.name), Qt::CaseInsensitive) != 0)
            continue;
        // The mark as the ranges last left it, not as the click toggled it.
        const clsRangeManager* ranges = DocumentRanges();
        const bool checked = ranges ? ranges->MenuChecked(Str(m.name)) : false;
        m_controller->ToggleRange(Str(m.rangeType), checked);
        break;
    }
    RefreshView();
}

// --- Help menu -------------------------------------------------------------------

void frmMainView::mnuHelpList_Click()
{
    ShowHelp();
}

void frmMainView::ShowHelp()
{
    if (!m_help) {
        auto* dialog = new QDialog(this);
        dialog->setObjectName(QStringLiteral("frmHelp"));
        dialog->setAttribute(Qt::WA_DeleteOnClose);
        dialog->setWindowTitle(QStringLiteral("自定义报表"));
        auto* browser = new QTextBrowser(dialog);
        browser->setObjectName(QStringLiteral("txtHelp"));
        browser->setOpenExternalLinks(false);
        // The help file the document names, when an HTML guide stands beside it;
        // otherwise the guide the component carries.
        QString source = kHelpResource;
        const QString helpFile = ApplicationHelpFile();
        if (!helpFile.isEmpty()) {
            const QFileInfo info(helpFile);
            const QString html = info.dir().filePath(info.completeBaseName() + QStringLiteral(".html"));
            if (QFileInfo::exists(html))
                source = html;
        }
        QFile file(source);
        if (file.open(QIODevice::ReadOnly))
            browser->setHtml(QString::fromUtf8(file.readAll()));
        auto* buttons = new QDialogButtonBox(QDialogButtonBox::Close, dialog);
        connect(buttons, &QDialogButtonBox::rejected, dialog, &QDialog::close);
        auto* layout = new QVBoxLayout(dialog);
        layout->addWidget(browser);
        layout->addWidget(buttons);
        dialog->resize(640, 520);
        m_help = dialog;
    }
    m_help->show();
    m_help->raise();
}

void frmMainView::mnuAbout_Click()
{
    frmAbout about(this);
    about.exec();
}

// --- Window events ---------------------------------------------------------------

bool frmMainView::HandleKey(int key, Qt::KeyboardModifiers modifiers)
{
    if (key == Qt::Key_F1) {
        ShowHelp();
        return true;
    }
    // The menus' shortcuts reach these first; the table serves where they do not.
    if (modifiers.testFlag(Qt::ControlModifier)) {
        switch (key) {
        case Qt::Key_S:
            mnuSave_Click();
            return true;
        case Qt::Key_Z:
            if (modifiers.testFlag(Qt::ShiftModifier))
                mnuRedo_Click();
            else
                mnuUndo_Click();
            return true;
        case Qt::Key_Y:
            mnuRedo_Click();
            return true;
        case Qt::Key_Equal:
        case Qt::Key_Plus:
            SetZoom(clsCanvasWidget::StepZoom(Zoom(), 1));
            return true;
        case Qt::Key_Minus:
            SetZoom(clsCanvasWidget::StepZoom(Zoom(), -1));
            return true;
        case Qt::Key_0:
            SetZoom(1.0);
            return true;
        default:
            break;
        }
    }
    CanvasModifiers m;
    m.ctrl = modifiers.testFlag(Qt::ControlModifier);
    m.shift = modifiers.testFlag(Qt::ShiftModifier);
    if (!ReportOpen())
        return false;
    const bool handled = m_controller->HandleKey(key, m);
    if (handled) {
        m_canvas->UpdatePointer();
        m_canvas->viewport()->update();
        RefreshView();
    }
    return handled;
}

void frmMainView::keyPressEvent(QKeyEvent* event)
{
    if (!HandleKey(event->key(), event->modifiers()))
        QMainWindow::keyPressEvent(event);
}

void frmMainView::changeEvent(QEvent* event)
{
    QMainWindow::changeEvent(event);
    // Coming back to the window: whatever a dialog changed shows on the canvas.
    if (event->type() == QEvent::ActivationChange && isActiveWindow()) {
        m_controller->ClearBusy();
        RefreshView();
    }
}

void frmMainView::closeEvent(QCloseEvent* event)
{
    if (g_objDocument && !g_objDocument->ConfirmDiscard()) {
        event->ignore();
        return;
    }
    if (g_objDocument) {
        g_objDocument->SetDocChanged(false);
        g_objDocument->CloseDocument(true);
    }
    m_blnShown = false;
    m_controller->ClearToolState();
    m_canvas->UpdatePointer();
    if (m_help)
        m_help->close();
    event->accept();
}
