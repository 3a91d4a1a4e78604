// Property lists kept in files, or, for the per-user preferences list on
// newer systems, kept by the print queue: read back from its
// "DriverPreference" PPD message and stored with the "Command_QZVPrefs"
// printer command.
//
// Failures are results: a missing or bad list leaves the object without a
// list (PropertyList() is None) and says why in the log. A bad stored list is
// never overwritten blindly: the next save first keeps it aside as
// "<file>.corrupt-<time>".
#pragma once

#include <cstdint>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "platform/PropertyList.h"

// Mutability options of the classic reader. Lists here are values, so they
// only record what the caller asked for.
inline constexpr unsigned long kCFPropertyListImmutable = 0;
inline constexpr unsigned long kCFPropertyListMutableContainers = 1;
inline constexpr unsigned long kCFPropertyListMutableContainersAndLeaves = 2;

// The queue keeps a copy of the stored preferences here; while it exists a
// list that could not be read back must not replace it.
inline constexpr const char* kPreferencesCacheFile =
    "/Library/Caches/QZV/QZV.UnisorPrinterV2.plist";
inline constexpr const char* kPreferencesMessage = "DriverPreference";
inline constexpr const char* kPreferencesCommand = "Command_QZVPrefs";
// Last error when the list has no XML form.
inline constexpr int32_t kPropertyListMemFullErr = -108;

// How a preferences list reaches the queue and comes back.
enum class PreferencesSendResult { kNoPrinter, kRefused, kNotCompleted, kCompleted };
struct PreferencesChannel {
  // The "DriverPreference" message of the current printer's queue as wide
  // text; nullopt when there is no printer or queue PPD, empty when the queue
  // holds no message.
  std::function<std::optional<std::u32string>()> readMessage;
  // Sends the text to the current printer under the command name and waits
  // for the command's job.
  std::function<PreferencesSendResult(const std::string& command, const std::string& text)> send;
};
// A channel installed for the whole process (tests install a stand-in
// queue); lists read without a channel of their own use it. Empty functions
// mean "no printer". Answers the previous channel.
PreferencesChannel SetPreferencesChannel(PreferencesChannel channel);
PreferencesChannel InstalledPreferencesChannel();

class PropertyListFile {
 public:
  // Reads "<folder>/<name>". The object is valid and counts as loaded (there
  // is no queue copy to protect) whatever the read gave.
  PropertyListFile(const std::filesystem::path& folder, std::string_view name, bool mutableList,
                   unsigned long mutability);
  // The preferences list by its system name (e.g. "/Library/Preferences/
  // QZV.UnisorPrinterV2.plist"): from system 10.7 on the queue's
  // "DriverPreference" message (loaded when the message held text), before
  // that the file of that name under $HOME.
  PropertyListFile(const char* name, bool mutableList, unsigned long mutability);
  // The same through the given channel (the installed one when it has no
  // functions).
  PropertyListFile(const char* name, bool mutableList, unsigned long mutability,
                   PreferencesChannel channel);
  virtual ~PropertyListFile();
  PropertyListFile(const PropertyListFile&) = delete;
  PropertyListFile& operator=(const PropertyListFile&) = delete;

  // The parsed list, or nullopt (with the reason in *error) when the file is
  // missing, unreadable or not a property list.
  static std::optional<PlistValue> CreatePropertyListFromFile(const std::filesystem::path& file,
                                                              unsigned long mutability,
                                                              std::string* error = nullptr);

  // Stores the list (see the .cpp for the rules). True when it was stored.
  bool Save(const PlistValue& list);

  bool IsValid() const { return valid_; }
  bool IsLoaded() const { return loaded_; }
  bool IsMutable() const { return mutable_; }
  bool CachePresent() const { return cachePresent_; }
  int32_t GetLastError() const { return lastError_; }
  const std::filesystem::path& FileURL() const { return fileURL_; }
  // None when nothing usable was read.
  const PlistValue& PropertyList() const { return list_; }

 protected:
  // For a subclass that finds the stored list unusable (a list of the wrong
  // shape): the next save keeps it aside before replacing it.
  void MarkStoredListUnusable();

  PlistValue list_;
  bool valid_ = false;

 private:
  void ReadFile(const std::filesystem::path& file);
  bool SaveToQueue(const std::string& xml);
  bool SaveToFile(const std::string& xml);

  std::filesystem::path fileURL_;
  std::string name_;
  bool mutable_ = false;
  unsigned long mutability_ = kCFPropertyListImmutable;
  // The per-user preferences list (rather than a file in a folder).
  bool byName_ = false;
  int32_t lastError_ = 0;
  bool loaded_ = false;
  bool cachePresent_ = false;
  // A stored list that exists but could not be read: the file is moved aside,
  // or the queue's text written aside, before anything replaces it.
  bool badFile_ = false;
  std::optional<std::string> badQueueText_;
  std::string queueText_;  // the queue's message as read
  PreferencesChannel channel_;
};
