// A creation host for tests: keeps everything the worker tells and asks in
// one log, in order, and answers the questions from scripts. An empty
// script answers like a user who closes every box (cancel, no name).
#pragma once

#include <deque>
#include <functional>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "create/Quor_CreateThread.h"

namespace testutil {

class ScriptedCreateHost : public CreateHost {
 public:
  // Answers, used from the front.
  std::deque<std::optional<std::string>> picks;     // nothing = cancel
  std::deque<OverwriteAnswer> overwriteAnswers;      // empty = Closed
  std::deque<std::optional<std::string>> newNames;  // nothing = cancel
  // Called with each file about to be hashed (to set a stop flag, say).
  std::function<void(const std::string&)> onShowCurrentFile;

  // "notice C V", "pick <list>", "overwrite NAME", "newname NAME",
  // "file NAME", "created <list>", "error TEXT", "ended".
  std::vector<std::string> log;
  std::vector<std::pair<NotifyCode, std::uint32_t>> notices;
  std::vector<std::string> errors;
  std::optional<std::string> createdList;  // set by HandOverCreatedList

  void Notify(NotifyCode code, std::uint32_t value) override {
    notices.emplace_back(code, value);
    if (code != CN_BYTES_DONE) log.push_back("notice " + std::to_string(code) + " " + std::to_string(value));
  }
  std::optional<std::string> PickFolderFiles(const std::string& fileListText) override {
    log.push_back("pick " + fileListText);
    return Next(picks, std::optional<std::string>());
  }
  OverwriteAnswer AskOverwrite(const std::string& name) override {
    log.push_back("overwrite " + name);
    return Next(overwriteAnswers, OverwriteAnswer::Closed);
  }
  std::optional<std::string> AskNewName(const std::string& currentName) override {
    log.push_back("newname " + currentName);
    return Next(newNames, std::optional<std::string>());
  }
  void ShowCurrentFile(const std::string& name) override {
    log.push_back("file " + name);
    if (onShowCurrentFile) onShowCurrentFile(name);
  }
  void HandOverCreatedList(const std::string& createdFilesText) override {
    log.push_back("created " + createdFilesText);
    createdList = createdFilesText;
  }
  void ShowError(const std::string& text) override {
    log.push_back("error " + text);
    errors.push_back(text);
  }
  void RunEnded() override { log.push_back("ended"); }

  // The log entries that start with prefix.
  std::vector<std::string> Entries(const std::string& prefix) const {
    std::vector<std::string> found;
    for (const std::string& entry : log) {
      if (entry.compare(0, prefix.size(), prefix) == 0) found.push_back(entry);
    }
    return found;
  }

 private:
  template <typename T>
  static T Next(std::deque<T>& script, T fallback) {
    if (script.empty()) return fallback;
    T answer = std::move(script.front());
    script.pop_front();
    return answer;
  }
};

}  // namespace testutil
