#include "session/predefined_word_editor.h"

#include <charconv>
#include <limits>

namespace qm::session {

namespace {

std::string_view trimmed(std::string_view text)
{
    const auto blank = [](char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; };
    while (!text.empty() && blank(text.front())) text.remove_prefix(1);
    while (!text.empty() && blank(text.back())) text.remove_suffix(1);
    return text;
}

}  // namespace

std::optional<std::int32_t> parseWordValue(std::string_view text)
{
    text = trimmed(text);
    if (!text.empty() && text.front() == '+') {
        text.remove_prefix(1);
        if (!text.empty() && text.front() == '-') return std::nullopt;
    }
    if (text.empty()) return std::nullopt;
    std::int64_t value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc() || end != text.data() + text.size() ||
        value < std::numeric_limits<std::int32_t>::min() || value > std::numeric_limits<std::int32_t>::max()) {
        return std::nullopt;
    }
    return static_cast<std::int32_t>(value);
}

CheckedWord checkWord(std::string_view name, std::string_view valueText)
{
    if (std::optional<std::string> refusal = frontend::validatePredefinedName(name)) {
        return {std::nullopt, *refusal};
    }
    // predefined.ini and the project file keep one name per line: a line break or a NUL inside
    // a name would split it and shift every later word.
    if (name.find_first_of(std::string_view("\r\n\0", 3)) != std::string_view::npos) {
        return {std::nullopt, std::string(frontend::kDefinedWordNotNameMessage)};
    }
    const std::optional<std::int32_t> value = parseWordValue(valueText);
    if (!value) {
        return {std::nullopt, std::string(kValueNotNumberMessage)};
    }
    return {frontend::PredefinedWord{std::string(name), *value}, std::string()};
}

PredefinedWordEditor::PredefinedWordEditor(frontend::PredefinedWordList& globalWords,
                                           frontend::PredefinedWordList& projectDefines)
    : m_globalWords(globalWords), m_projectDefines(projectDefines)
{
    restoreDefault();
}

std::optional<std::string> PredefinedWordEditor::add(WordGroup group, std::string_view name,
                                                     std::string_view valueText)
{
    CheckedWord checked = checkWord(name, valueText);
    if (!checked.word) return checked.message;
    m_rows[index(group)].push_back(std::move(*checked.word));
    return std::nullopt;
}

std::optional<std::string> PredefinedWordEditor::replace(WordGroup group, std::size_t row, std::string_view name,
                                                         std::string_view valueText)
{
    CheckedWord checked = checkWord(name, valueText);
    if (!checked.word) return checked.message;
    frontend::PredefinedWordList& rows = m_rows[index(group)];
    if (row < rows.size()) rows[row] = std::move(*checked.word);
    return std::nullopt;
}

void PredefinedWordEditor::remove(WordGroup group, const std::vector<std::size_t>& rows)
{
    frontend::PredefinedWordList& list = m_rows[index(group)];
    std::vector<bool> removed(list.size(), false);
    for (std::size_t row : rows) {
        if (row < list.size()) removed[row] = true;
    }
    std::size_t kept = 0;
    for (std::size_t i = 0; i < list.size(); ++i) {
        if (!removed[i]) list[kept++] = std::move(list[i]);
    }
    list.resize(kept);
}

void PredefinedWordEditor::restoreDefault()
{
    m_rows[index(WordGroup::Global)] = m_globalWords;
    m_rows[index(WordGroup::Project)] = m_projectDefines;
}

bool PredefinedWordEditor::accept()
{
    const bool projectChanged = m_rows[index(WordGroup::Project)] != m_projectDefines;
    m_globalWords = m_rows[index(WordGroup::Global)];
    m_projectDefines = m_rows[index(WordGroup::Project)];
    return projectChanged;
}

}  // namespace qm::session
