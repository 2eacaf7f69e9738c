#include "clsPropertysManager.h"

void clsPropertysManager::LoadAllPropertys(bool& ok)
{
    ok = true;
}
