#include "clsPrompt.h"
#include <cstdio>

namespace {
class clsConsolePrompt : public clsPrompt
{
public:
    void Beep() override {}
    PromptAnswer Message(const QString& text, PromptIcon, const QString& title, PromptButtons buttons) override
    {
        std::fprintf(stderr, "[%s] %s\n", title.toUtf8().constData(), text.toUtf8().constData());
        return Unasked(buttons);
    }
};
clsConsolePrompt g_console;
clsPrompt* g_current = nullptr;
}

PromptAnswer clsPrompt::Unasked(PromptButtons buttons)
{
    switch (buttons) {
    case PromptButtons::YesNo: return PromptAnswer::No;
    case PromptButtons::YesNoCancel: return PromptAnswer::Cancel;
    case PromptButtons::Ok: break;
    }
    return PromptAnswer::Ok;
}

void clsPrompt::Log(const QString& text)
{
    std::fprintf(stderr, "[%s] %s\n", "格式", text.toUtf8().constData());
}

clsPrompt& clsPrompt::Current()
{
    return g_current ? *g_current : static_cast<clsPrompt&>(g_console);
}

clsPrompt* clsPrompt::Install(clsPrompt* prompt)
{
    clsPrompt* previous = g_current;
    g_current = prompt;
    return previous;
}
