#pragma once
#include <QString>

// Checks column and label expressions before they are stored.
class clsExpressionManager
{
public:
    bool CheckFieldExpression(const QString& text);
    bool CheckLabelExpression(const QString& text);
};
