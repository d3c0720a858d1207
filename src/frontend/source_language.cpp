#include "frontend/source_language.h"

#include <array>

namespace qm::frontend {

namespace {

bool endsWithFolded(std::string_view text, std::string_view lowerSuffix)
{
    if (text.size() < lowerSuffix.size()) return false;
    const std::string_view tail = text.substr(text.size() - lowerSuffix.size());
    for (std::size_t i = 0; i < tail.size(); ++i) {
        char c = tail[i];
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
        if (c != lowerSuffix[i]) return false;
    }
    return true;
}

}  // namespace

SourceLanguage languageOfPath(std::string_view path)
{
    if (!path.empty() && path.back() == '"') path.remove_suffix(1);
    return path.ends_with(".c") ? SourceLanguage::C : SourceLanguage::Cpp;
}

bool isHeaderPath(std::string_view path)
{
    static constexpr std::array<std::string_view, 6> kEndings{".h", ".hpp", ".hh", ".hxx", ".inl", ".ipp"};
    if (!path.empty() && path.back() == '"') path.remove_suffix(1);
    for (std::string_view ending : kEndings) {
        if (endsWithFolded(path, ending)) return true;
    }
    return false;
}

bool wordAppliesTo(std::string_view name, SourceLanguage language)
{
    // The words that the C++ compiler defines and the C compiler does not, and the other way round.
    if (name == "__cplusplus" || name.starts_with("__cpp_") || name == "__GNUG__" || name.starts_with("__GXX_")
        || name == "__EXCEPTIONS" || name == "__DEPRECATED" || name == "_GNU_SOURCE") {
        return language == SourceLanguage::Cpp;
    }
    if (name == "__STDC_VERSION__" || name == "__GNUC_STDC_INLINE__") return language == SourceLanguage::C;
    return true;
}

}  // namespace qm::frontend
