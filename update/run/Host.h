#pragma once

// What the update engine needs of its main window. The Qt window, a command-line front end and
// the tests each implement it; the engine never touches widgets directly. The names in the
// comments are the object names of the window's widgets.

#include <cstdint>
#include <string>
#include <vector>

namespace update::run {

struct RunContext;

// Captions of the three message boxes.
inline constexpr const char* kErrorCaption = "Ошибка";
inline constexpr const char* kInformationCaption = "Информация";
inline constexpr const char* kConfirmationCaption = "Подтверждение";

// The state pictures of the update page, one per update kind.
enum class StatePicture {
    UpdateDB,   // imgUpdateDB
    UpdateXML,  // imgUpdateXML
    UpdateConf, // imgUpdateConf
};

// Picture indices of the image list ilStates.
inline constexpr int kPicturePending = 0;
inline constexpr int kPictureRunning = 1;
inline constexpr int kPictureSucceeded = 2;
inline constexpr int kPictureFailed = 3;

class Host {
public:
    virtual ~Host() = default;

    // The run whose handlers receive the messages of child programs (none: no run). A run
    // context announces itself here for its lifetime; a host that owns a message socket hands
    // the pending messages to that run's handlers when it processes messages.
    virtual void setMessageRun(RunContext* run) { (void)run; }

    // lInfo: the caption of the current operation.
    virtual void setStatusCaption(const std::string& caption) = 0;
    virtual std::string statusCaption() const = 0;

    // pbCondition. The engine only ever sets positions within the range (see Progress.h).
    virtual void setBarMinimum(int minimum) = 0;
    virtual void setBarMaximum(int maximum) = 0;
    virtual void setBarPosition(int position) = 0;
    virtual int barMinimum() const = 0;
    virtual int barMaximum() const = 0;
    virtual int barPosition() const = 0;

    // mDetails: the run log, one entry per line (no line breaks inside a line).
    virtual void appendLogLine(const std::string& line) = 0;
    virtual std::vector<std::string> logLines() const = 0;
    virtual void clearLog() = 0;

    // sbDetails: enabled once the run log holds anything.
    virtual void setDetailsEnabled(bool enabled) = 0;
    virtual bool detailsEnabled() const = 0;

    // Lets pending window messages be processed: painting, and the messages of child programs.
    virtual void processMessages() = 0;

    // The number that child programs address their messages to (<HANDLE>).
    virtual std::uint32_t windowHandle() const = 0;

    // Message boxes with the captions above. withOwner false: the box has no owner window.
    virtual void showError(const std::string& text, bool withOwner) = 0;
    virtual void showInformation(const std::string& text, bool withOwner) = 0;
    // Yes/No question, No being the default; true for Yes.
    virtual bool confirm(const std::string& text, bool withOwner) = 0;

    // Shows picture `index` (kPicturePending ... kPictureFailed) in the state image and
    // repaints it.
    virtual void setStatePicture(StatePicture which, int index) = 0;
};

} // namespace update::run
