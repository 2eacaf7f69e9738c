#pragma once
#include "document/clsPrompt.h"
#include <QList>
#include <QString>
#include <QStringList>

// Records every beep and message instead of showing it; answers questions from a queue.
class clsRecordingPrompt : public clsPrompt
{
public:
    struct Entry
    {
        QString text;
        PromptIcon icon;
        QString title;
        PromptButtons buttons;
    };

    clsRecordingPrompt() { m_previous = clsPrompt::Install(this); }
    ~clsRecordingPrompt() override { clsPrompt::Install(m_previous); }

    void Beep() override { ++beeps; }
    PromptAnswer Message(const QString& text, PromptIcon icon, const QString& title, PromptButtons buttons) override
    {
        messages.append({text, icon, title, buttons});
        if (buttons == PromptButtons::Ok)
            return PromptAnswer::Ok;
        return answers.isEmpty() ? Unasked(buttons) : answers.takeFirst();
    }

    void Log(const QString& text) override { logs.append(text); }

    QString LastText() const { return messages.isEmpty() ? QString() : messages.last().text; }
    void Clear() { messages.clear(); logs.clear(); beeps = 0; }

    QList<Entry> messages;
    QStringList logs;
    QList<PromptAnswer> answers;
    int beeps = 0;

private:
    clsPrompt* m_previous = nullptr;
};
