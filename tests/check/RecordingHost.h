// A check host for tests: keeps every notice and row in the order they came,
// answers PickFiles from a script, and lets a test act (set flags, pause) at
// a chosen event, on the worker's thread, as the window would while it
// handles a notice.
#pragma once

#include <cstdint>
#include <deque>
#include <functional>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "check/Quor_CheckHost.h"
#include "mainwindow/Quor_ResultModel.h"  // StatusListTexts: the SFV rows as the window words them

namespace testutil {

struct HostEvent {
  enum Type { Notice, File, Sfv, Pick } type = Notice;
  NotifyCode code = CN_BUSY;
  std::uint32_t value = 0;
  FileRow file;
  SfvRow sfv;
  std::string pickLines;
};

class RecordingHost : public CheckHost {
 public:
  // Answers of PickFiles, first to last; when used up, the dialog counts as
  // closed without OK.
  std::deque<std::optional<std::string>> pickAnswers;
  // Called after each event is recorded, on the calling (worker) thread.
  std::function<void(const HostEvent&)> onEvent;
  // Text that Trace shows as "~" (the test's temporary folder).
  std::string hideFolder;

  void Notify(NotifyCode code, std::uint32_t value) override {
    HostEvent event;
    event.type = HostEvent::Notice;
    event.code = code;
    event.value = value;
    Record(event);
  }
  void ReportFile(const FileRow& row) override {
    HostEvent event;
    event.type = HostEvent::File;
    event.file = row;
    Record(event);
  }
  void ReportSfv(const SfvRow& row) override {
    HostEvent event;
    event.type = HostEvent::Sfv;
    event.sfv = row;
    Record(event);
  }
  std::optional<std::string> PickFiles(const std::string& lines) override {
    HostEvent event;
    event.type = HostEvent::Pick;
    event.pickLines = lines;
    std::optional<std::string> answer;
    {
      std::lock_guard<std::mutex> lock(mutex_);
      if (!pickAnswers.empty()) {
        answer = pickAnswers.front();
        pickAnswers.pop_front();
      }
    }
    Record(event);
    return answer;
  }

  // Forgets the events recorded so far (the script and hook stay).
  void Clear() {
    std::lock_guard<std::mutex> lock(mutex_);
    events_.clear();
  }

  std::vector<HostEvent> Events() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return events_;
  }
  std::vector<FileRow> FileRows() const {
    std::vector<FileRow> rows;
    for (const HostEvent& event : Events()) {
      if (event.type == HostEvent::File) rows.push_back(event.file);
    }
    return rows;
  }
  std::vector<SfvRow> SfvRows() const {
    std::vector<SfvRow> rows;
    for (const HostEvent& event : Events()) {
      if (event.type == HostEvent::Sfv) rows.push_back(event.sfv);
    }
    return rows;
  }

  // One line per event: "#code" or "#code=value" for notices (CN_BYTES_DONE
  // left out unless withBytes, and always when its value is 0), "F name|path|status|size|kind" for file
  // rows, "S sfv|total|good|bad|missing" for each row of the SFV list that an
  // SFV row shows as in the window, "P" for the pick list.
  std::vector<std::string> Trace(bool withBytes = false) const {
    std::vector<std::string> lines;
    for (const HostEvent& event : Events()) {
      switch (event.type) {
        case HostEvent::Notice:
          if (event.code == CN_BYTES_DONE && (!withBytes || event.value == 0)) break;
          lines.push_back("#" + std::to_string(event.code) +
                          (event.value != 0 ? "=" + std::to_string(event.value) : ""));
          break;
        case HostEvent::File:
          lines.push_back("F " + Hide(event.file.name) + "|" + Hide(event.file.path) + "|" + event.file.status + "|" +
                          event.file.sizeText + "|" + std::to_string(static_cast<int>(event.file.kind)));
          break;
        case HostEvent::Sfv:
          for (const std::vector<std::string>& texts : StatusListTexts(event.sfv)) {
            lines.push_back("S " + Hide(texts[0]) + "|" + texts[1] + "|" + texts[2] + "|" + texts[3] + "|" +
                            texts[4]);
          }
          break;
        case HostEvent::Pick: lines.push_back("P"); break;
      }
    }
    return lines;
  }

 private:
  void Record(const HostEvent& event) {
    {
      std::lock_guard<std::mutex> lock(mutex_);
      events_.push_back(event);
    }
    if (onEvent) onEvent(event);
  }
  std::string Hide(const std::string& text) const {
    if (hideFolder.empty() || text.compare(0, hideFolder.size(), hideFolder) != 0) return text;
    return "~" + text.substr(hideFolder.size());
  }

  mutable std::mutex mutex_;
  std::vector<HostEvent> events_;
};

}  // namespace testutil
