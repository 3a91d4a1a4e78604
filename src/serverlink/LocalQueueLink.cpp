#include "serverlink/LocalQueueLink.h"

#include "platform/LocalQueues.h"
#include "queue/QueueCommands.h"

void InstallLocalQueueCommands() {
  SetLocalQueueCommandHandler([](const LocalQueueCommand& command) {
    QueueCommandContext ctx{command.root, command.ppdPath, command.queueName, command.user};
    QueueCommandOutcome outcome = RunQueueCommand(ctx, command.title, command.body);
    LocalQueueCommandResult result{outcome.accepted, outcome.message};
    std::string error;
    if (outcome.accepted && !outcome.ppdUpdates.empty() &&
        !ApplyPPDUpdates(command.ppdPath, outcome.ppdUpdates, &error)) {
      result = {false, outcome.message + "; the PPD was not updated: " + error};
    }
    return result;
  });
}
