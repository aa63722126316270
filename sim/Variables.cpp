#include "sim/Variables.h"

namespace sim {

std::string foldCase(const std::string& text) {
    std::string out = text;
    for (char& c : out)
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    return out;
}

double ModuleVariables::get(int32_t token) const {
    auto it = values_.find(token);
    return it == values_.end() ? 0.0 : it->second;
}

int32_t NamedVariables::registerName(const std::string& name) {
    std::string folded = foldCase(name);
    auto it = idsByFoldedName_.find(folded);
    if (it != idsByFoldedName_.end()) return it->second;
    int32_t id = kFirstId + static_cast<int32_t>(entries_.size());
    entries_.push_back(Entry{name, 0.0});
    idsByFoldedName_.emplace(std::move(folded), id);
    return id;
}

std::optional<int32_t> NamedVariables::find(const std::string& name) const {
    auto it = idsByFoldedName_.find(foldCase(name));
    if (it == idsByFoldedName_.end()) return std::nullopt;
    return it->second;
}

bool NamedVariables::known(int32_t id) const {
    return id >= kFirstId && static_cast<size_t>(id - kFirstId) < entries_.size();
}

double NamedVariables::get(int32_t id) const {
    return known(id) ? entries_[static_cast<size_t>(id - kFirstId)].value : 0.0;
}

bool NamedVariables::set(int32_t id, double value) {
    if (!known(id)) return false;
    entries_[static_cast<size_t>(id - kFirstId)].value = value;
    return true;
}

std::string NamedVariables::name(int32_t id) const {
    return known(id) ? entries_[static_cast<size_t>(id - kFirstId)].name : std::string();
}

}  // namespace sim
