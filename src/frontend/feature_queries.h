// The feature queries that `#if` lines ask the compiler (`__has_include(<optional>)`,
// `__has_cpp_attribute(nodiscard)`, `__has_builtin(__builtin_expect)`), answered as this
// platform's compiler (GCC 12 on x86-64 Linux, C++17) answers them, so that the groups a
// compiler keeps are kept here too. Which headers exist is answered from the standard headers
// of that platform and the run's include directories; the file system is asked for the latter
// only.
#pragma once

#include <cstdint>
#include <string_view>

namespace qm::frontend {

enum class FeatureQuery {
    None,           // not a query
    HasInclude,     // __has_include, __has_include_next
    HasCppAttribute,
    HasAttribute,
    HasBuiltin,
    Unknown,        // asked of other compilers only (__has_feature, __has_extension, ...): 0
};

FeatureQuery featureQueryOf(std::string_view name) noexcept;

// Whether `defined(name)` holds for a query's name, as the compiler defines them: true for
// those it answers, false for those of other compilers.
bool isDefinedQuery(std::string_view name) noexcept;

// The value of `__has_cpp_attribute(name)` (`cpp`) or `__has_attribute(name)`; `name` may be
// scoped (`gnu::always_inline`) and spelled with underscores (`__always_inline__`).
std::int32_t attributeValue(std::string_view name, bool cpp) noexcept;

// The value of `__has_builtin(name)`.
bool hasBuiltin(std::string_view name) noexcept;

// Whether `name` (as written between `<` and `>`, with `/` separators) is a header of the
// platform's C or C++ standard library, of POSIX or of the compiler's own (intrinsics).
bool isSystemHeader(std::string_view name) noexcept;

}  // namespace qm::frontend
