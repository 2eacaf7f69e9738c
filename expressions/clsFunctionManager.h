#pragma once
#include "clsFunction.h"
#include <memory>
#include <vector>

// The function catalogue: table functions and the function servers' functions.
class clsFunctionManager
{
public:
    std::vector<std::unique_ptr<clsFunction>> mFuncs;
    std::vector<std::unique_ptr<clsFunction>> mZ9Funcs;

    void LoadDefFunctions(bool& ok);
};
