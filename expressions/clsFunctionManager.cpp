#include "clsFunctionManager.h"

void clsFunctionManager::LoadDefFunctions(bool& ok)
{
    ok = true;
}
