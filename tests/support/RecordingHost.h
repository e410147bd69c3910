#pragma once

// A Host that keeps everything in memory and records what the engine did with it, for tests of
// every part of the update. Answers of confirmation boxes are scripted; processMessages can run
// a callback (for instance a pump that delivers child-program messages).

#include "update/run/Host.h"

#include <deque>
#include <functional>
#include <map>
#include <string>
#include <vector>

namespace testsupport {

class RecordingHost : public update::run::Host {
public:
    enum class BoxKind { Error, Information, Confirmation };
    struct Box {
        BoxKind kind;
        std::string caption;
        std::string text;
        bool withOwner;
    };

    void setStatusCaption(const std::string& caption) override;
    std::string statusCaption() const override { return caption_; }

    void setBarMinimum(int minimum) override { barMinimum_ = minimum; }
    void setBarMaximum(int maximum) override { barMaximum_ = maximum; }
    // Recorded as given, without clamping, so that a test sees what the engine asked for.
    void setBarPosition(int position) override;
    int barMinimum() const override { return barMinimum_; }
    int barMaximum() const override { return barMaximum_; }
    int barPosition() const override { return barPosition_; }

    void appendLogLine(const std::string& line) override { log_.push_back(line); }
    std::vector<std::string> logLines() const override { return log_; }
    void clearLog() override { log_.clear(); }

    void setDetailsEnabled(bool enabled) override { detailsEnabled_ = enabled; }
    bool detailsEnabled() const override { return detailsEnabled_; }

    void processMessages() override;

    std::uint32_t windowHandle() const override { return windowHandle_; }

    void showError(const std::string& text, bool withOwner) override;
    void showInformation(const std::string& text, bool withOwner) override;
    // Takes the next scripted answer; when none is left, answers defaultConfirmAnswer.
    bool confirm(const std::string& text, bool withOwner) override;

    void setStatePicture(update::run::StatePicture which, int index) override;

    // Scripting and inspection.
    void setWindowHandle(std::uint32_t handle) { windowHandle_ = handle; }
    void scriptConfirmAnswer(bool answer) { confirmAnswers_.push_back(answer); }
    bool defaultConfirmAnswer = false;
    // Called by processMessages after it has counted the call.
    std::function<void()> onProcessMessages;

    int processMessagesCount() const { return processMessagesCount_; }
    const std::vector<std::string>& captionHistory() const { return captionHistory_; }
    const std::vector<int>& barPositionHistory() const { return barPositionHistory_; }
    const std::vector<Box>& boxes() const { return boxes_; }
    // The picture shown in a state image, -1 when none has been set.
    int statePicture(update::run::StatePicture which) const;
    // Every picture set on a state image, in order.
    std::vector<int> statePictureHistory(update::run::StatePicture which) const;

private:
    std::string caption_;
    std::vector<std::string> captionHistory_;
    int barMinimum_ = 0;
    int barMaximum_ = 100;
    int barPosition_ = 0;
    std::vector<int> barPositionHistory_;
    std::vector<std::string> log_;
    bool detailsEnabled_ = false;
    int processMessagesCount_ = 0;
    std::uint32_t windowHandle_ = 0;
    std::deque<bool> confirmAnswers_;
    std::vector<Box> boxes_;
    std::map<update::run::StatePicture, std::vector<int>> pictures_;
};

} // namespace testsupport
