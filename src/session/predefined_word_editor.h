// PredefinedWordEditor: the "Predefined Word" dialog without its window. Two groups of rows —
// the global predefined words ("Global Defined") and the project's defines ("This Project
// Defined") — that "Add", "Remove" and the "Set Predefined Word" dialog edit; accept() (OK)
// stores both, "Default" starts again from the stored lists.
#pragma once

#include "frontend/option_files.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace qm::session {

enum class WordGroup { Global = 0, Project = 1 };

// Shown when a value is not a whole number that fits a signed 32-bit integer.
inline constexpr std::string_view kValueNotNumberMessage =
    "Value must be a whole number from -2147483648 to 2147483647.";

// The value typed into a "Value" field: blanks around it are ignored, then an optional sign and
// decimal digits that fit a signed 32-bit integer. Nothing for anything else ("", "12x", "1e3").
std::optional<std::int32_t> parseWordValue(std::string_view text);

// The name and value of one row as the edits hold them: the refusal message ("Defined Word must
// have at least one charater.", "Defined Word must string.", kValueNotNumberMessage, tested in
// that order), or the word. Only the name's first character must be a letter or '_', but a line
// break or NUL anywhere in it is refused as well ("Defined Word must string."): the option file
// and the project file keep one name per line.
struct CheckedWord {
    std::optional<frontend::PredefinedWord> word;
    std::string message;
};
CheckedWord checkWord(std::string_view name, std::string_view valueText);

class PredefinedWordEditor {
public:
    // The stored lists; written only by accept(). Both must outlive the editor.
    PredefinedWordEditor(frontend::PredefinedWordList& globalWords, frontend::PredefinedWordList& projectDefines);

    const frontend::PredefinedWordList& rows(WordGroup group) const { return m_rows[index(group)]; }

    // "Add": appends the row; the refusal message instead when checkWord refuses it.
    std::optional<std::string> add(WordGroup group, std::string_view name, std::string_view valueText);
    // The "Set Predefined Word" dialog's OK on `row`: replaces its name and value; the refusal
    // message instead (the row stays). A row out of range is left alone.
    std::optional<std::string> replace(WordGroup group, std::size_t row, std::string_view name,
                                       std::string_view valueText);
    // "Remove": the rows at `rows` go (any order; out of range ignored).
    void remove(WordGroup group, const std::vector<std::size_t>& rows);
    // "Default": both groups as stored.
    void restoreDefault();
    // "OK": both groups become the stored lists. True when the project's defines changed, which
    // makes the project modified (they are saved with it).
    bool accept();

private:
    static std::size_t index(WordGroup group) noexcept { return static_cast<std::size_t>(group); }

    frontend::PredefinedWordList& m_globalWords;
    frontend::PredefinedWordList& m_projectDefines;
    std::array<frontend::PredefinedWordList, 2> m_rows;
};

}  // namespace qm::session
