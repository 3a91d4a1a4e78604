#include "PPDX/PPDObjects/Controls/PPDXControlReport.h"

#include "constraints/UIConstraints.h"

// A report without key or option carries nothing the facade could keep.
void ForwardKVToConstraints(UIConstraints* constraints, const char* key, const char* option) {
  if (!constraints || !key || !option) return;
  constraints->UpdateKVCache(key, option);
}

void ForwardKVIdToConstraints(UIConstraints* constraints, long keyId, long optionId) {
  if (!constraints) return;
  constraints->UpdateKVCache(keyId, optionId);
}
