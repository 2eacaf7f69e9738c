#pragma once
#include "clsFunctionServer.h"

// The general-ledger function server ("QXSvrZW.ClsMain"): account balances and
// amounts by account code and period. Account codes follow the 4-2-2 level scheme.
class clsLedgerServer : public clsFunctionServer
{
public:
    clsLedgerServer();
    static QString ProgId() { return QStringLiteral("QXSvrZW.ClsMain"); }
    static bool IsAccountCode(const QString& code);

protected:
    QStringList Arguments(const QStringList& lines) const override;
    int CheckArgument(const Function& function, const Parameter& param, const QString& value,
                      QString& why) const override;
};
