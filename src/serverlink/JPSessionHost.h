// What a job properties session needs from the rest of the panel, as narrow
// functions: the panel fills them in (tests give fakes). A missing function
// means "nothing available".
#pragma once

#include <functional>
#include <optional>
#include <string>

struct JPSessionHost {
  // A copy of the panel's two-way data text (the whole data file).
  std::function<std::string()> bidiDataCopy;
  // The two-way data file's path.
  std::function<std::string()> bidiDataPath;
  // The feature document's DMT XML text; empty when it holds none.
  std::function<std::string()> dmtXml;
  // The window title: the localized "Printing Preferences".
  std::function<std::string()> windowTitle;
  // The destination PPD's "localPreset" message; none when missing.
  std::function<std::optional<std::string>()> localPresetsMessage;
  // Sends a printer command under `title` with `text` and waits until the job
  // it started has completed; false when it did not.
  std::function<bool(const std::string& title, const std::string& text)> sendCommandAndWait;
};

void SetJPSessionHost(JPSessionHost host);
const JPSessionHost& GetJPSessionHost();
