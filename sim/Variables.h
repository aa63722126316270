// The host's variables: module variables by token and named panel
// variables, which any gauge of the panel can register, read and set.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <unordered_map>
#include <vector>

namespace sim {

class ModuleVariables {
public:
    // A token nobody has set reads 0.
    double get(int32_t token) const;
    void set(int32_t token, double value) { values_[token] = value; }

private:
    std::unordered_map<int32_t, double> values_;
};

// Registering a name again returns its existing id; names compare without
// regard to case; a variable nobody has set reads 0.
class NamedVariables {
public:
    int32_t registerName(const std::string& name);
    std::optional<int32_t> find(const std::string& name) const;

    // Unknown ids read 0; setting an unknown id is ignored and reported false.
    double get(int32_t id) const;
    bool set(int32_t id, double value);
    bool known(int32_t id) const;

    // The name as first registered.
    std::string name(int32_t id) const;
    size_t size() const { return entries_.size(); }

    static constexpr int32_t kFirstId = 1;

private:
    struct Entry {
        std::string name;
        double value = 0.0;
    };
    std::vector<Entry> entries_;
    std::unordered_map<std::string, int32_t> idsByFoldedName_;
};

// ASCII case folding, as the host's name lookups use.
std::string foldCase(const std::string& text);

}  // namespace sim
