#include "update/connect/uValList.h"

#include "platform/text/Text.h"

namespace update::connect {

void TValItem::AssignValue(std::string_view value) {
    if (value == "\"\"") {
        Value.clear();
    } else {
        Value = std::string(value);
    }
}

void TValList::Clear() {
    while (!Items_.empty()) {
        Items_.pop_back();
    }
}

std::size_t TValList::Find(std::string_view name) const {
    const std::string wanted = platform::text::localeUpper(name);
    for (std::size_t i = Items_.size(); i > 0; --i) {
        if (platform::text::localeUpper(Items_[i - 1]->Name) == wanted) {
            return i - 1;
        }
    }
    return Items_.size();
}

void TValList::Append(std::string_view name, std::string_view value) {
    auto item = std::make_unique<TValItem>();
    item->Name = std::string(name);
    item->AssignValue(value);
    Items_.push_back(std::move(item));
}

std::string TValList::GetValue(std::string_view name) const {
    const std::size_t index = Find(name);
    return index < Items_.size() ? Items_[index]->Value : std::string();
}

void TValList::SetValue(std::string_view name, std::string_view value) {
    const std::size_t index = Find(name);
    if (index < Items_.size()) {
        Items_[index]->AssignValue(value);
    } else if (!value.empty()) {
        Append(name, value);
    }
}

void TValList::RemoveValue(std::string_view name) {
    const std::size_t index = Find(name);
    if (index < Items_.size()) {
        Items_.erase(Items_.begin() + static_cast<std::ptrdiff_t>(index));
    }
}

std::string TValList::BuildText() const {
    std::string text;
    for (const auto& item : Items_) {
        text += item->Name;
        text += '=';
        text += item->Value;
        text += ';';
    }
    if (!text.empty()) {
        text.pop_back();
    }
    return text;
}

void TValList::ParseText(std::string_view text) {
    Clear();
    std::string_view s = text;
    for (;;) {
        const std::size_t semi = s.find(';');
        const std::size_t eq = s.find('=');
        if (eq != std::string_view::npos && (semi == std::string_view::npos || semi > eq)) {
            const std::size_t end = semi == std::string_view::npos ? s.size() : semi;
            Append(s.substr(0, eq), s.substr(eq + 1, end - eq - 1));
        }
        if (semi == std::string_view::npos) {
            break;
        }
        s.remove_prefix(semi + 1);
    }
}

} // namespace update::connect
