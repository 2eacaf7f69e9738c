#include "frmMainView.h"
#include "clsCanvasScene.h"
#include "clsCanvasWidget.h"
#include "frmAbout.h"
#include "frmFormatTransfer.h"
#include "document/clsDocument.h"
#include "document/clsReportFilter.h"
#include "document/modPublicDefine.h"
#include "ranges/clsRangeManager.h"
#include <QAction>
#include <QApplication>
#include <QCloseEvent>
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
    setWindowTitle(QStringLiteral("定义报表格式"));
    resize(960, 680);

    m_canvas = new clsCanvasWidget(this);
    m_canvas->SetController(m_controller.get());
    setCentralWidget(m_canvas);

    CreateMenus();
    CreateToolbar();

    SelTips = new QLabel(this);
    SelTips->setObjectName(QStringLiteral("SelTips"));
    statusBar()->addWidget(SelTips, 1);

    m_controller->onContextMenu = [this] { ShowContextMenu(); };
    m_controller->onShowProperties = [this] { ShowPropertys(); };
    m_controller->onRefreshFieldList = [this] { RefreshFieldList(); };
    m_controller->onCursorChanged = [this] { m_canvas->UpdatePointer(); };
    connect(m_canvas, &clsCanvasWidget::PointerMoved, this, [this](qint32 x, qint32 y) { UpdateStatus(x, y); });
    connect(m_canvas, &clsCanvasWidget::GestureEnded, this, &frmMainView::RefreshView);
    UpdateStatus(0, 0);
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
    // The key hints are part of the captions; the key table handles the keys themselves.
    connect(AddItem(m_mnuEdit, QStringLiteral("mnuCopy"), QStringLiteral("复制            Ctrl+C")), &QAction::triggered, this, &frmMainView::mnuCopy_Click);
    connect(AddItem(m_mnuEdit, QStringLiteral("mnuPrase"), QStringLiteral("粘贴            Ctrl+V")), &QAction::triggered, this, &frmMainView::mnuPrase_Click);
    connect(AddItem(m_mnuEdit, QStringLiteral("mnuDelete"), QStringLiteral("删除            Delete")), &QAction::triggered, this, &frmMainView::mnuDelete_Click);
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

    QMenu* help = menuBar()->addMenu(QStringLiteral("帮助(&H)"));
    help->setObjectName(QStringLiteral("mnuHelp"));
    m_actions.insert(QStringLiteral("mnuhelp"), help->menuAction());
    connect(AddItem(help, QStringLiteral("mnuHelpList"), QStringLiteral("帮助(F1)")), &QAction::triggered, this, &frmMainView::mnuHelpList_Click);
    connect(AddItem(help, QStringLiteral("mnuAbout"), QStringLiteral("关于(&A)...")), &QAction::triggered, this, &frmMainView::mnuAbout_Click);

    EnableDialogItems();
}

void frmMainView::EnableDialogItems()
{
    // Items whose window this build does not carry stay visible but cannot be chosen.
#ifndef QXRF_HAVE_REPORT_LIST
    Action(QStringLiteral("mnuOpen"))->setEnabled(false);
#endif
#ifndef QXRF_HAVE_PRINT_SETTING
    Action(QStringLiteral("mnuSetPrint"))->setEnabled(false);
#endif
#ifndef QXRF_HAVE_GROUPS_VIEW
    Action(QStringLiteral("mnuGroup"))->setEnabled(false);
#endif
#ifndef QXRF_HAVE_FIELD_VIEW
    Action(QStringLiteral("mnuListField"))->setEnabled(false);
#endif
#ifndef QXRF_HAVE_PROPERTYS_VIEW
    Action(QStringLiteral("mnuProp"))->setEnabled(false);
#endif
}

void frmMainView::AddToolButton(const QString& key, const QString& tooltip, QAction* menuAction,
                                const std::function<void()>& run)
{
    QAction* button = Toolbar1->addAction(QIcon(QStringLiteral(":/qxrf/icons/%1.png").arg(key)), tooltip);
    button->setObjectName(key);
    button->setToolTip(tooltip);
    if (menuAction) {
        button->setEnabled(menuAction->isEnabled());
        connect(button, &QAction::triggered, menuAction, &QAction::trigger);
    } else {
        connect(button, &QAction::triggered, this, run);
    }
    m_toolKeys.insert(key.toLower(), button);
    m_toolOrder << key;
}

void frmMainView::CreateToolbar()
{
    Toolbar1 = addToolBar(QStringLiteral("Toolbar1"));
    Toolbar1->setObjectName(QStringLiteral("Toolbar1"));
    Toolbar1->setMovable(false);
    Toolbar1->setIconSize(QSize(16, 16));
    AddToolButton(QStringLiteral("open"), QStringLiteral("打开报表格式"), Action(QStringLiteral("mnuOpen")), {});
    AddToolButton(QStringLiteral("save"), QStringLiteral("保存报表格式"), Action(QStringLiteral("mnuSave")), {});
    AddToolButton(QStringLiteral("printset"), QStringLiteral("设置打印机"), Action(QStringLiteral("mnuSetPrint")), {});
    Toolbar1->addSeparator();
    AddToolButton(QStringLiteral("copy"), QStringLiteral("复制"), Action(QStringLiteral("mnuCopy")), {});
    AddToolButton(QStringLiteral("prase"), QStringLiteral("粘贴"), Action(QStringLiteral("mnuPrase")), {});
    AddToolButton(QStringLiteral("delete"), QStringLiteral("删除"), Action(QStringLiteral("mnuDelete")), {});
    Toolbar1->addSeparator();
    AddToolButton(QStringLiteral("top"), QStringLiteral("上对齐"), nullptr, [this] { AlignSelection(0); });
    AddToolButton(QStringLiteral("button"), QStringLiteral("下对齐"), nullptr, [this] { AlignSelection(1); });
    AddToolButton(QStringLiteral("left"), QStringLiteral("左对齐"), nullptr, [this] { AlignSelection(2); });
    AddToolButton(QStringLiteral("right"), QStringLiteral("右对齐"), nullptr, [this] { AlignSelection(3); });
    Toolbar1->addSeparator();
    AddToolButton(QStringLiteral("property"), QStringLiteral("属性"), Action(QStringLiteral("mnuProp")), {});
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
    setWindowTitle(caption);
}

QString frmMainView::Caption() const
{
    return windowTitle();
}

void frmMainView::RefreshFormatReport()
{
    clsRangeManager* ranges = DocumentRanges();
    clsCanvasScene* scene = DocumentScene();
    if (ranges && scene) {
        // A document's scene starts without a sheet: lay the empty sheet out first.
        if (scene->picBack.width <= 0)
            ranges->DrawBackView();
        ranges->DrawPaperWidthTopic();
        ranges->DrawAllObjects();
    }
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
    UpdateRangeMenus();
    m_canvas->viewport()->update();
    m_canvas->update();
    for (QWidget* ruler : m_canvas->findChildren<QWidget*>(QStringLiteral("PicTopRote")) + m_canvas->findChildren<QWidget*>(QStringLiteral("picLeftRote")))
        ruler->update();
    UpdateStatus(m_pointerX, m_pointerY);
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
    QString text;
    if (selected == 1)
        text = QStringLiteral("选中: %1").arg(first);
    else if (selected > 1)
        text = QStringLiteral("选中: %1 个对象").arg(selected);
    else
        text = QStringLiteral("未选中对象");
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

void frmMainView::mnuSave_Click()
{
    if (g_objDocument)
        g_objDocument->SaveReportFormat();
    RefreshView();
}

void frmMainView::mnuClose_Click()
{
    if (g_objDocument)
        g_objDocument->CloseDocument(false);
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
}

void frmMainView::mnuAddCol_Click()
{
    m_controller->SetToolState(QStringLiteral("addCol"), 0, 0);
    m_canvas->UpdatePointer();
}

void frmMainView::mnuAddTitle_Click()
{
    m_controller->SetToolState(QStringLiteral("AddTitle"), 0, 0);
    m_canvas->UpdatePointer();
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
    const clsCanvasScene* scene = DocumentScene();
    if (!scene)
        return;
    // The selection decides what the window shows: one object, or what several of
    // one kind have in common.
    QString kind;
    QString name;
    int count = 0;
    const std::pair<clsCanvasScene::Kind, const char*> kinds[] = {
        {clsCanvasScene::Kind::Label, "标签"},
        {clsCanvasScene::Kind::Column, "列"},
        {clsCanvasScene::Kind::Title, "标题"},
    };
    for (const auto& [k, word] : kinds)
        for (const auto& e : scene->Elements(k))
            if (e->selected && scene->IsDisplayed(*e)) {
                if (!count) {
                    kind = Str(word);
                    name = e->name;
                }
                if (Str(word) == kind)
                    ++count;
            }
    if (!m_propertys) {
        auto* window = new frmPropertysView(this);
        window->setWindowFlags(Qt::Tool);
        window->setAttribute(Qt::WA_DeleteOnClose);
        m_propertys = window;
    }
    auto* window = static_cast<frmPropertysView*>(m_propertys.data());
    if (count)
        window->InitPropertys(kind, name, count > 1);
    window->show();
    window->raise();
#endif
}

void frmMainView::ShowContextMenu()
{
    // Not exec(): the tool state is already cleared and the menu must not hold the caller.
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
    CanvasModifiers m;
    m.ctrl = modifiers.testFlag(Qt::ControlModifier);
    m.shift = modifiers.testFlag(Qt::ShiftModifier);
    const bool handled = m_controller->HandleKey(key, m);
    if (handled)
        RefreshView();
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
    if (g_objDocument)
        g_objDocument->CloseDocument(true);
    m_blnShown = false;
    m_controller->ClearToolState();
    m_canvas->UpdatePointer();
    if (m_help)
        m_help->close();
    event->accept();
}
