#include "queue/ticket/TicketOption.h"

#include "foundation/PDEIdentity.h"

std::string TicketOptionName() {
  return std::string(kPDEPostScriptDataKeyPrefix) + kPDEBundleIdentifier;
}
