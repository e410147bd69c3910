#include "tests/support/RecordingHost.h"

namespace testsupport {

using update::run::kConfirmationCaption;
using update::run::kErrorCaption;
using update::run::kInformationCaption;
using update::run::StatePicture;

void RecordingHost::setStatusCaption(const std::string& caption) {
    caption_ = caption;
    captionHistory_.push_back(caption);
}

void RecordingHost::setBarPosition(int position) {
    barPosition_ = position;
    barPositionHistory_.push_back(position);
}

void RecordingHost::processMessages() {
    ++processMessagesCount_;
    if (onProcessMessages) {
        onProcessMessages();
    }
}

void RecordingHost::showError(const std::string& text, bool withOwner) {
    boxes_.push_back({BoxKind::Error, kErrorCaption, text, withOwner});
}

void RecordingHost::showInformation(const std::string& text, bool withOwner) {
    boxes_.push_back({BoxKind::Information, kInformationCaption, text, withOwner});
}

bool RecordingHost::confirm(const std::string& text, bool withOwner) {
    boxes_.push_back({BoxKind::Confirmation, kConfirmationCaption, text, withOwner});
    if (confirmAnswers_.empty()) {
        return defaultConfirmAnswer;
    }
    const bool answer = confirmAnswers_.front();
    confirmAnswers_.pop_front();
    return answer;
}

void RecordingHost::setStatePicture(StatePicture which, int index) {
    pictures_[which].push_back(index);
}

int RecordingHost::statePicture(StatePicture which) const {
    const auto found = pictures_.find(which);
    return found == pictures_.end() || found->second.empty() ? -1 : found->second.back();
}

std::vector<int> RecordingHost::statePictureHistory(StatePicture which) const {
    const auto found = pictures_.find(which);
    return found == pictures_.end() ? std::vector<int>{} : found->second;
}

} // namespace testsupport
