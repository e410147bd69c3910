#include "update/engine/ScriptFile.h"

#include "platform/text/Text.h"
#include "update/engine/BlobFields.h"
#include "update/engine/Conditions.h"
#include "update/engine/RunDialect.h"
#include "update/engine/Statement.h"
#include "update/run/Placeholders.h"
#include "update/run/Progress.h"
#include "update/run/RunConnection.h"
#include "update/run/RunLog.h"

#include <optional>

namespace update::engine {

namespace {

using platform::xml::Document;
using platform::xml::Element;
using run::RunContext;
using run::WriteLogEntry;

bool flagOn(const Element& element, const char* name) {
    return platform::text::trimControls(element.attribute(name)) == "1";
}

std::optional<Document> loadScript(const std::string& path) {
    try {
        Document document = Document::load(path);
        if (document.root() && document.root().name() == "SCRIPTS") {
            return document;
        }
    } catch (const platform::xml::XmlError&) {
    }
    return std::nullopt;
}

void setCaption(RunContext& context, const std::string& caption) {
    context.host.setStatusCaption(caption);
    context.host.processMessages();
}

// Commits what the statements left open; false when the commit fails.
bool commitOpenWork(RunContext& context) {
    if (runDialect(context) == Dialect::Oracle) {
        return true;
    }
    try {
        platform::db::Connection& connection = runConnection(context);
        if (connection.inTransaction()) {
            connection.commit();
        }
    } catch (const platform::db::DbError&) {
        return false;
    }
    return true;
}

class ScriptRun {
public:
    ScriptRun(RunContext& context, const std::string& path)
        : context_(context), path_(path), start_(context.host.barPosition()) {}

    // Runs the groups; false when a statement with STOP_ON_EXCEPTION failed.
    bool runGroups(const Element& scripts) {
        bool result = true;
        const std::vector<Element> groups = scripts.children();
        const double count = static_cast<double>(groups.size());
        for (std::size_t i = 0; i < groups.size(); ++i) {
            const Element& group = groups[i];
            if (!CheckConditions(context_, group, path_)) {
                if (context_.LogCheckErrors) {
                    WriteLogEntry(context_, path_,
                                  "Не выполнены условия выполнения для группы №" +
                                      std::to_string(i + 1),
                                  group.name());
                }
                advance(context_.CurrentItemShare * 0.8 / count);
                continue;
            }
            const std::vector<Element> elements = group.children();
            if (flagOn(group, "MOVE_BLOB")) {
                collectBlobDescriptions(context_, group);
            }
            for (std::size_t j = 0; j < elements.size(); ++j) {
                const Outcome outcome = runElement(group, elements[j], i + 1, j + 1);
                if (outcome == Outcome::Stop) {
                    result = false;
                    break;
                }
                if (outcome == Outcome::Skipped) {
                    continue;
                }
                advance(context_.CurrentItemShare * 0.8 /
                        (count * static_cast<double>(elements.size())));
            }
        }
        return result;
    }

    void finish() {
        run::setBarPosition(context_, static_cast<double>(start_) + context_.CurrentItemShare);
    }

private:
    enum class Outcome {
        Ran,     // the statement ran, successfully or with a failure that does not stop
        Skipped, // its condition does not hold: the bar does not move
        Stop,    // it failed with STOP_ON_EXCEPTION on
    };

    Outcome runElement(const Element& group, const Element& element, std::size_t groupNumber,
                       std::size_t elementNumber) {
        const std::string numbers = "группы №" + std::to_string(groupNumber);
        if (!CheckConditions(context_, element, path_)) {
            if (context_.LogCheckErrors) {
                WriteLogEntry(context_, path_,
                              "Не выполнены условия выполнения для " + numbers + " скрипт №" +
                                  std::to_string(elementNumber),
                              group.name() + "  " + element.firstChildValue());
            }
            return Outcome::Skipped;
        }
        const bool stopOnException = flagOn(element, "STOP_ON_EXCEPTION");
        const bool logError = flagOn(element, "LOG_ERROR");
        const std::string statement = run::ExpandPlaceholders(context_, element.firstChildValue());
        setCaption(context_, "группа " + std::to_string(groupNumber) + ", элемент " +
                                 std::to_string(elementNumber));
        std::string error;
        if (ExecuteStatement(context_, statement, error)) {
            return Outcome::Ran;
        }
        if (logError || stopOnException) {
            WriteLogEntry(context_, path_, error, statement);
        }
        return stopOnException ? Outcome::Stop : Outcome::Ran;
    }

    void advance(double share) {
        accumulated_ += share;
        run::setBarPosition(context_, static_cast<double>(start_) + accumulated_);
    }

    RunContext& context_;
    const std::string& path_;
    int start_;
    double accumulated_ = 0.0;
};

} // namespace

bool ExecuteScriptFile(RunContext& context, const std::string& path) {
    run::reopenRunConnection(context);

    context.BlobDescrList.clear();
    context.lastBlobId.reset();
    ScriptRun script(context, path);
    setCaption(context, "выполнение скриптов");

    const std::optional<Document> document = loadScript(path);
    if (!document) {
        WriteLogEntry(context, path, "Ошибка доступа к файлу");
        return false;
    }
    bool result = script.runGroups(document->root());
    if (!commitOpenWork(context)) {
        result = false;
        WriteLogEntry(context, path, "подтверждение транзакции");
    }
    FillBlobFields(context, path, result);
    script.finish();
    return result;
}

} // namespace update::engine
