#pragma once
// What the program adds to the lookup datasets of its data module: the
// calculated fields of the shared operations (requests, invoices, clients,
// carriers), the invoices' before-post rule, and the message dialog for the
// delete guards.

class TMasterDataDM;

void ConnectLookupRules(TMasterDataDM &dm);
