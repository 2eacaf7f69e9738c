#include "clsMessagePrompt.h"
#include <QApplication>
#include <QMessageBox>
#include <QPushButton>
#include <cstdio>

void clsMessagePrompt::Beep()
{
    if (qobject_cast<QApplication*>(QCoreApplication::instance()))
        QApplication::beep();
}

PromptAnswer clsMessagePrompt::Message(const QString& text, PromptIcon icon, const QString& title, PromptButtons buttons)
{
    if (!qobject_cast<QApplication*>(QCoreApplication::instance())) {
        std::fprintf(stderr, "[%s] %s\n", title.toUtf8().constData(), text.toUtf8().constData());
        return Unasked(buttons);
    }
    QMessageBox box(QApplication::activeWindow());
    box.setWindowTitle(title);
    box.setText(text);
    switch (icon) {
    case PromptIcon::Exclamation: box.setIcon(QMessageBox::Warning); break;
    case PromptIcon::Information: box.setIcon(QMessageBox::Information); break;
    case PromptIcon::Question: box.setIcon(QMessageBox::Question); break;
    case PromptIcon::Critical: box.setIcon(QMessageBox::Critical); break;
    case PromptIcon::None: box.setIcon(QMessageBox::NoIcon); break;
    }
    if (buttons != PromptButtons::Ok) {
        QAbstractButton* yes = box.addButton(QStringLiteral("是(&Y)"), QMessageBox::YesRole);
        QAbstractButton* no = box.addButton(QStringLiteral("否(&N)"), QMessageBox::NoRole);
        if (buttons == PromptButtons::YesNoCancel)
            box.setEscapeButton(box.addButton(QStringLiteral("取消"), QMessageBox::RejectRole));
        box.exec();
        if (box.clickedButton() == yes)
            return PromptAnswer::Yes;
        // Closing the box without a choice is 取消 where there is one.
        if (buttons == PromptButtons::YesNoCancel && box.clickedButton() != no)
            return PromptAnswer::Cancel;
        return PromptAnswer::No;
    }
    box.addButton(QStringLiteral("确定"), QMessageBox::AcceptRole);
    box.exec();
    return PromptAnswer::Ok;
}
