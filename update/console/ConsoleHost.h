#pragma once

// The host of the update on a console: the status caption and a progress bar on one redrawn
// line when the output is a terminal, plain lines otherwise; run log lines printed as they
// are written; message boxes as lines on the error stream; confirmations answered by a
// setting instead of a question.

#include "update/run/ChildMessageReceiver.h"
#include "update/run/Host.h"

#include <cstdint>
#include <map>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

namespace update::console {

class ConsoleHost : public run::Host {
public:
    struct Settings {
        bool terminal = false;      // redraw a status line with a bar
        bool printLog = true;       // print run log lines as they are written
        bool confirmAnswer = false; // the answer to every confirmation
        int width = 80;             // of the terminal line
    };

    ConsoleHost(std::ostream& out, std::ostream& err, Settings settings);
    ~ConsoleHost() override;
    ConsoleHost(const ConsoleHost&) = delete;
    ConsoleHost& operator=(const ConsoleHost&) = delete;

    void setStatusCaption(const std::string& caption) override;
    std::string statusCaption() const override { return caption_; }

    void setBarMinimum(int minimum) override;
    void setBarMaximum(int maximum) override;
    void setBarPosition(int position) override;
    int barMinimum() const override { return minimum_; }
    int barMaximum() const override { return maximum_; }
    int barPosition() const override { return position_; }

    void appendLogLine(const std::string& line) override;
    std::vector<std::string> logLines() const override { return log_; }
    void clearLog() override { log_.clear(); }

    void setDetailsEnabled(bool enabled) override { detailsEnabled_ = enabled; }
    bool detailsEnabled() const override { return detailsEnabled_; }

    void processMessages() override;
    // The number of the message socket that child programs report to.
    std::uint32_t windowHandle() const override;
    void setMessageRun(run::RunContext* run) override { messageRun_ = run; }

    void showError(const std::string& text, bool withOwner) override;
    void showInformation(const std::string& text, bool withOwner) override;
    bool confirm(const std::string& text, bool withOwner) override;

    void setStatePicture(run::StatePicture which, int index) override;
    int statePicture(run::StatePicture which) const;

    // Ends the status line, so that whatever is printed next starts on a line of its own.
    void finish();

private:
    // The bar and the caption, fitted to the terminal's width.
    std::string statusLine() const;
    void clearStatus();
    void drawStatus();
    void box(const char* caption, const std::string& text);

    std::ostream& out_;
    std::ostream& err_;
    Settings settings_;
    std::string caption_;
    int minimum_ = 0;
    int maximum_ = 100;
    int position_ = 0;
    int printedPercent_ = -1;
    bool statusShown_ = false;
    std::vector<std::string> log_;
    bool detailsEnabled_ = false;
    std::uint32_t handle_;
    // The socket of the child programs' messages, from the host's start to its end; none when
    // it could not be made (then the reason has been told and children cannot report).
    std::optional<run::ChildMessageReceiver> receiver_;
    run::RunContext* messageRun_ = nullptr;
    std::map<run::StatePicture, int> pictures_;
};

// The percentage of the bar a position stands for (0 for an empty range).
int barPercent(int position, int minimum, int maximum);

} // namespace update::console
