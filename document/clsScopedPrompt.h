#pragma once
#include "clsPrompt.h"

// A prompt in use for as long as it lives: installed when made, and the one in use
// before it put back when it goes, whatever happened meanwhile.
class clsScopedPrompt : public clsPrompt
{
public:
    ~clsScopedPrompt() override;
    clsScopedPrompt(const clsScopedPrompt&) = delete;
    clsScopedPrompt& operator=(const clsScopedPrompt&) = delete;

protected:
    clsScopedPrompt();
    // The prompt that was in use before this one (the console prompt if none was installed).
    clsPrompt& Outer() const;

private:
    clsPrompt* m_outer;      // what Current() answered before
    clsPrompt* m_previous;   // what was installed before (none for the console prompt)
};
