#pragma once
#include <QString>

// How the component talks to the user: a beep, a message box, a yes/no question.
// The component installs a window-backed prompt; tests install a recording one.
enum class PromptIcon { None, Exclamation, Information, Question, Critical };
// YesNoCancel: a question whose third answer leaves everything as it was.
enum class PromptButtons { Ok, YesNo, YesNoCancel };
enum class PromptAnswer { Ok, Yes, No, Cancel };

class clsPrompt
{
public:
    virtual ~clsPrompt() = default;
    virtual void Beep() = 0;
    virtual PromptAnswer Message(const QString& text, PromptIcon icon, const QString& title,
                                 PromptButtons buttons) = 0;
    // What the user must learn even where messages are silenced (RunMode): a refused
    // save. A host reads it from standard error unless its prompt keeps it elsewhere.
    virtual void Log(const QString& text);

    // The answer of a prompt that cannot ask: No, or Cancel where the question offers it,
    // so that nothing is discarded or written without the user.
    static PromptAnswer Unasked(PromptButtons buttons);
    // The prompt in use; a console prompt (stderr, answers Unasked) until one is installed.
    static clsPrompt& Current();
    // Installs `prompt` (not owned) and returns the previous one; nullptr restores the console prompt.
    static clsPrompt* Install(clsPrompt* prompt);
};
