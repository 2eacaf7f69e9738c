#include "clsScopedPrompt.h"

// The one in use is taken before this one is installed, so Outer() is never this one.
clsScopedPrompt::clsScopedPrompt() : m_outer(&clsPrompt::Current()), m_previous(clsPrompt::Install(this)) {}

clsScopedPrompt::~clsScopedPrompt()
{
    clsPrompt::Install(m_previous);
}

clsPrompt& clsScopedPrompt::Outer() const
{
    return *m_outer;
}
