#include "project/file_kind.h"

#include <array>
#include <utility>

namespace qm::project {

bool endsWithFolded(std::string_view text, std::string_view upperSuffix)
{
    if (text.size() < upperSuffix.size()) return false;
    const std::string_view tail = text.substr(text.size() - upperSuffix.size());
    for (std::size_t i = 0; i < tail.size(); ++i) {
        char c = tail[i];
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
        if (c != upperSuffix[i]) return false;
    }
    return true;
}

FileKind classifyPath(std::string_view path)
{
    static constexpr std::array<std::pair<std::string_view, FileKind>, 14> kEndings{{
        {".CPP", FileKind::Source},
        {".CC", FileKind::Source},
        {".CXX", FileKind::Source},
        {".C", FileKind::Source},
        {".DSP", FileKind::Dsp},
        {".DSW", FileKind::Dsw},
        {".QMP", FileKind::Project},
        {".VCPROJ", FileKind::Vcproj},
        {".H", FileKind::Header},
        {".HPP", FileKind::Header},
        {".HH", FileKind::Header},
        {".HXX", FileKind::Header},
        {".INL", FileKind::Header},
        {".IPP", FileKind::Header},
    }};
    if (!path.empty() && path.back() == '"') {
        path.remove_suffix(1);
    }
    for (const auto& [ending, kind] : kEndings) {
        if (endsWithFolded(path, ending)) return kind;
    }
    return FileKind::None;
}

}  // namespace qm::project
