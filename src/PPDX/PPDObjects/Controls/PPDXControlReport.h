// The one place where a control's (keyword, option) report reaches the UI
// constraint facade; a null facade takes nothing.
#pragma once

class UIConstraints;

void ForwardKVToConstraints(UIConstraints* constraints, const char* key, const char* option);
void ForwardKVIdToConstraints(UIConstraints* constraints, long keyId, long optionId);
