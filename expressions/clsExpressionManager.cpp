#include "clsExpressionManager.h"

bool clsExpressionManager::CheckFieldExpression(const QString&) { return true; }
bool clsExpressionManager::CheckLabelExpression(const QString&) { return true; }
