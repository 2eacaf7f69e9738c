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
    // What was shown: a "beep" per beep, then each message as its title, "!" for the
    // warning icon (":" for any other) and its text; two of these compare a whole prompt.
    QStringList Shown() const
    {
        QStringList out(beeps, QStringLiteral("beep"));
        for (const Entry& m : messages)
            out << m.title + (m.icon == PromptIcon::Exclamation ? QLatin1Char('!') : QLatin1Char(':')) + m.text;
        return out;
    }
    // A refusal as the designer shows it: a beep and a warning (or another message)
    // titled 格式; nothing for no text.
    static QStringList Refusal(const QString& text, bool warning = true)
    {
        if (text.isEmpty())
            return {};
        return {QStringLiteral("beep"), QStringLiteral("格式") + QLatin1Char(warning ? '!' : ':') + text};
    }
    void Clear() { messages.clear(); logs.clear(); beeps = 0; }

    QList<Entry> messages;
    QStringList logs;
    QList<PromptAnswer> answers;
    int beeps = 0;

private:
    clsPrompt* m_previous = nullptr;
};
