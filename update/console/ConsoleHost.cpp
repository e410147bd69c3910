#include "update/console/ConsoleHost.h"

#include <algorithm>
#include <stdexcept>
#include <unistd.h>

namespace update::console {

namespace {

// Number of UTF-8 characters of a text.
std::size_t characters(const std::string& text) {
    return static_cast<std::size_t>(std::count_if(text.begin(), text.end(), [](char c) {
        return (static_cast<unsigned char>(c) & 0xC0) != 0x80;
    }));
}

// The text cut to at most `limit` characters, never inside a character.
std::string fitted(const std::string& text, std::size_t limit) {
    std::size_t count = 0;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if ((static_cast<unsigned char>(text[i]) & 0xC0) != 0x80) {
            if (count == limit) {
                return text.substr(0, i);
            }
            ++count;
        }
    }
    return text;
}

constexpr int kBarCells = 30;

} // namespace

int barPercent(int position, int minimum, int maximum) {
    if (maximum <= minimum) {
        return 0;
    }
    const long long span = static_cast<long long>(maximum) - minimum;
    const long long done =
        std::clamp<long long>(static_cast<long long>(position) - minimum, 0, span);
    return static_cast<int>(done * 100 / span);
}

ConsoleHost::ConsoleHost(std::ostream& out, std::ostream& err, Settings settings)
    : out_(out), err_(err), settings_(settings),
      handle_(static_cast<std::uint32_t>(getpid()) & 0x7FFFFFFFu) {
    try {
        receiver_.emplace();
    } catch (const std::runtime_error& error) {
        err_ << "child programs cannot report to this run: " << error.what() << '\n';
    }
}

std::uint32_t ConsoleHost::windowHandle() const {
    return receiver_ ? receiver_->handle() : handle_;
}

ConsoleHost::~ConsoleHost() {
    finish();
}

void ConsoleHost::setStatusCaption(const std::string& caption) {
    const bool changed = caption != caption_;
    caption_ = caption;
    if (settings_.terminal) {
        drawStatus();
    } else if (changed && !caption.empty()) {
        out_ << caption << '\n';
    }
}

void ConsoleHost::setBarMinimum(int minimum) {
    minimum_ = minimum;
}

void ConsoleHost::setBarMaximum(int maximum) {
    maximum_ = maximum;
}

void ConsoleHost::setBarPosition(int position) {
    position_ = position;
    if (settings_.terminal) {
        const int percent = barPercent(position_, minimum_, maximum_);
        if (percent != printedPercent_) {
            drawStatus();
        }
    }
}

void ConsoleHost::appendLogLine(const std::string& line) {
    log_.push_back(line);
    if (!settings_.printLog) {
        return;
    }
    clearStatus();
    out_ << line << '\n';
    if (settings_.terminal) {
        drawStatus();
    }
}

void ConsoleHost::processMessages() {
    out_.flush();
    if (receiver_ && messageRun_ != nullptr) {
        receiver_->processPending(*messageRun_);
    }
}

void ConsoleHost::box(const char* caption, const std::string& text) {
    clearStatus();
    out_.flush();
    err_ << caption << ": " << text << '\n';
    err_.flush();
    if (settings_.terminal) {
        drawStatus();
    }
}

void ConsoleHost::showError(const std::string& text, bool) {
    box(run::kErrorCaption, text);
}

void ConsoleHost::showInformation(const std::string& text, bool) {
    box(run::kInformationCaption, text);
}

bool ConsoleHost::confirm(const std::string& text, bool) {
    box(run::kConfirmationCaption, text + (settings_.confirmAnswer ? " — да" : " — нет"));
    return settings_.confirmAnswer;
}

void ConsoleHost::setStatePicture(run::StatePicture which, int index) {
    pictures_[which] = index;
}

int ConsoleHost::statePicture(run::StatePicture which) const {
    const auto found = pictures_.find(which);
    return found == pictures_.end() ? -1 : found->second;
}

void ConsoleHost::finish() {
    if (statusShown_) {
        out_ << '\n';
        out_.flush();
        statusShown_ = false;
    }
}

std::string ConsoleHost::statusLine() const {
    const int percent = barPercent(position_, minimum_, maximum_);
    const int cells = percent * kBarCells / 100;
    std::string line = "[" + std::string(static_cast<std::size_t>(cells), '#') +
                       std::string(static_cast<std::size_t>(kBarCells - cells), ' ') + "] ";
    const std::string number = std::to_string(percent) + "%";
    line += std::string(4 - std::min<std::size_t>(4, number.size()), ' ') + number + "  ";
    const std::size_t used = characters(line);
    const std::size_t width = static_cast<std::size_t>(std::max(settings_.width, 40)) - 1;
    return line + fitted(caption_, width > used ? width - used : 0);
}

void ConsoleHost::clearStatus() {
    if (statusShown_) {
        out_ << "\r\033[K";
        statusShown_ = false;
    }
}

void ConsoleHost::drawStatus() {
    out_ << "\r\033[K" << statusLine();
    out_.flush();
    statusShown_ = true;
    printedPercent_ = barPercent(position_, minimum_, maximum_);
}

} // namespace update::console
