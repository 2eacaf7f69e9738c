#include "modFunctionServers.h"
#include "clsLedgerServer.h"
#include "clsPayrollServer.h"
#include "document/clsComponentRegistry.h"

void RegisterFunctionServers()
{
    clsComponentRegistry::Register(clsLedgerServer::ProgId(), [] { return std::make_unique<clsLedgerServer>(); });
    clsComponentRegistry::Register(clsPayrollServer::ProgId(), [] { return std::make_unique<clsPayrollServer>(); });
}

void UnregisterFunctionServers()
{
    clsComponentRegistry::Unregister(clsLedgerServer::ProgId());
    clsComponentRegistry::Unregister(clsPayrollServer::ProgId());
}
