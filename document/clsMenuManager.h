#pragma once
#include <QString>

// The group menu: kept for the callers that expect it; it offers no group menus.
class clsMenuManager
{
public:
    void RefreshGroupMenu(bool& result) { result = false; }
    void AddNewGroupMenu(const QString&, bool& result) { result = false; }
    void DeleteGroupMenu(const QString&, bool& result) { result = false; }
    void GetGroupMenuStyle(const QString&, qint32& result) { result = 0; }
};
