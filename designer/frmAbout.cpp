#include "frmAbout.h"
#include <QDialogButtonBox>
#include <QLabel>
#include <QVBoxLayout>

frmAbout::frmAbout(QWidget* parent)
    : QDialog(parent)
{
    setObjectName(QStringLiteral("frmAbout"));
    setWindowTitle(QStringLiteral("关于"));
    setModal(true);
    auto* layout = new QVBoxLayout(this);
    auto* name = new QLabel(QStringLiteral("<b>报表格式定义</b>"), this);
    name->setObjectName(QStringLiteral("labName"));
    auto* version = new QLabel(QStringLiteral("版本 1.0"), this);
    version->setObjectName(QStringLiteral("labVersion"));
    auto* note = new QLabel(QStringLiteral("安排报表的区域、列、复合标题、标签、表达式、分组与打印设置。"), this);
    note->setWordWrap(true);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    layout->addWidget(name);
    layout->addWidget(version);
    layout->addWidget(note);
    layout->addWidget(buttons);
}
