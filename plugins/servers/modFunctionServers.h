#pragma once

// Registers the function servers built into this component (ledger and payroll) with
// the component registry, under their programmatic identifiers. The host calls it once.
void RegisterFunctionServers();
// Removes them again (hosts that install servers of their own, and tests).
void UnregisterFunctionServers();
