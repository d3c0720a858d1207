// PreprocessedRegistry: which unit holds the preprocessed content of a file version. It lets a
// run preprocess and parse a header once, however many files include it.
#pragma once

#include "model/source_unit.h"

#include <cstddef>
#include <map>
#include <string>

namespace qm::frontend {

class PreprocessedRegistry {
public:
    // Whether any content of this file version is registered.
    bool contains(const std::string& path, const model::FileStamp& stamp) const;
    // The unit registered for this file version with `count` tokens after preprocessing, or null.
    model::SourceUnit* lookup(const std::string& path, const model::FileStamp& stamp, std::size_t count) const;
    void insert(const std::string& path, const model::FileStamp& stamp, std::size_t count, model::SourceUnit* unit);
    // Removes the entry of `unit` (its path, stamp and token count) when it names that unit.
    void eraseUnit(const model::SourceUnit& unit);
    bool empty() const noexcept { return m_entries.empty(); }

private:
    struct Key {
        std::string path;
        model::FileStamp stamp;
        auto operator<=>(const Key&) const = default;
    };
    std::map<Key, std::map<std::size_t, model::SourceUnit*>> m_entries;
};

}  // namespace qm::frontend
