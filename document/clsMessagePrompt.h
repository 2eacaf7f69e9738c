#pragma once
#include "clsPrompt.h"

// Beeps and shows message boxes through the windowing system.
class clsMessagePrompt : public clsPrompt
{
public:
    void Beep() override;
    PromptAnswer Message(const QString& text, PromptIcon icon, const QString& title, PromptButtons buttons) override;
};
