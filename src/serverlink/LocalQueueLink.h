// Makes local queues carry out printer commands with the queue's own command
// code, in-process: the same outcome as the CUPS filter, with the PPD updates
// written into the queue's PPD as the scheduler writes them.
#pragma once

// Installs the handler for all local queues (programs and tests call it once).
void InstallLocalQueueCommands();
