// Reads the ticket file a job names. The filter runs as the queue's user on
// requests from anyone, so the name must lead into the cache folder and
// nowhere else: no links are followed on the way below the root, the file
// must be a regular file with one link, and its size is capped.
#pragma once

#include <string>
#include <string_view>

// The bare file name inside the cache folder that `given` means: the name
// itself, "/Library/Caches/QZV/<name>", "Library/Caches/QZV/<name>" or the
// same under `root`. Empty when it names any other place or is not a ticket
// name.
std::string TicketNameInCacheFolder(std::string_view given, std::string_view root);

// Reads the ticket named by `given` from root + "/Library/Caches/QZV". False
// with the reason in `error` when it cannot be read safely.
bool ReadTicketFile(std::string_view given, const std::string& root, std::string& bytes,
                    std::string& error);
