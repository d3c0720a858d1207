#include "frontend/feature_queries.h"

#include <algorithm>
#include <array>
#include <string_view>

namespace qm::frontend {

namespace {

using namespace std::string_view_literals;

template <std::size_t N>
bool sortedContains(const std::array<std::string_view, N>& list, std::string_view name) noexcept
{
    return std::binary_search(list.begin(), list.end(), name);
}

// GCC 12's values of __has_cpp_attribute for the standard attributes in C++17 mode.
struct AttributeValue {
    std::string_view name;
    std::int32_t value;
};
constexpr std::array kStandardAttributes{
    AttributeValue{"deprecated", 201309},     AttributeValue{"fallthrough", 201603},
    AttributeValue{"likely", 201803},         AttributeValue{"maybe_unused", 201603},
    AttributeValue{"no_unique_address", 201803}, AttributeValue{"nodiscard", 201907},
    AttributeValue{"noreturn", 200809},       AttributeValue{"unlikely", 201803},
};

// GNU attributes that GCC 12 knows (sorted).
constexpr std::array kGnuAttributes{
    "access"sv, "alias"sv, "aligned"sv, "alloc_align"sv, "alloc_size"sv, "always_inline"sv, "artificial"sv,
    "assume_aligned"sv, "cleanup"sv, "cold"sv, "const"sv, "constructor"sv, "copy"sv, "deprecated"sv,
    "designated_init"sv, "destructor"sv, "error"sv, "externally_visible"sv, "fallthrough"sv, "flatten"sv,
    "format"sv, "format_arg"sv, "gnu_inline"sv, "hot"sv, "ifunc"sv, "indirect_return"sv, "leaf"sv, "malloc"sv,
    "may_alias"sv, "mode"sv, "no_icf"sv, "no_instrument_function"sv, "no_profile_instrument_function"sv,
    "no_reorder"sv, "no_sanitize"sv, "no_sanitize_address"sv, "no_sanitize_thread"sv,
    "no_sanitize_undefined"sv, "no_split_stack"sv, "no_stack_protector"sv, "nocf_check"sv, "noclone"sv,
    "noinline"sv, "noipa"sv, "nonnull"sv, "nonstring"sv, "noplt"sv, "noreturn"sv, "nothrow"sv, "optimize"sv,
    "packed"sv, "patchable_function_entry"sv, "pure"sv, "retain"sv, "returns_nonnull"sv, "returns_twice"sv,
    "section"sv, "sentinel"sv, "simd"sv, "stack_protect"sv, "symver"sv, "target"sv, "target_clones"sv,
    "tls_model"sv, "transparent_union"sv, "unavailable"sv, "uninitialized"sv, "unused"sv, "used"sv,
    "vector_size"sv, "visibility"sv, "warn_if_not_aligned"sv, "warn_unused_result"sv, "warning"sv, "weak"sv,
    "weakref"sv, "zero_call_used_regs"sv,
};

// The headers of the platform's standard libraries, POSIX and the compiler (sorted).
constexpr std::array kSystemHeaders{
    "aio.h"sv, "algorithm"sv, "alloca.h"sv, "any"sv, "arpa/inet.h"sv, "array"sv, "assert.h"sv, "atomic"sv,
    "barrier"sv, "bit"sv, "bitset"sv, "byteswap.h"sv, "cassert"sv, "ccomplex"sv, "cctype"sv, "cerrno"sv,
    "cfenv"sv, "cfloat"sv, "charconv"sv, "chrono"sv, "cinttypes"sv, "ciso646"sv, "climits"sv, "clocale"sv,
    "cmath"sv, "codecvt"sv, "compare"sv, "complex"sv, "complex.h"sv, "concepts"sv, "condition_variable"sv,
    "coroutine"sv, "cpuid.h"sv, "csetjmp"sv, "csignal"sv, "cstdalign"sv, "cstdarg"sv, "cstdbool"sv,
    "cstddef"sv, "cstdint"sv, "cstdio"sv, "cstdlib"sv, "cstring"sv, "ctgmath"sv, "ctime"sv, "ctype.h"sv,
    "cuchar"sv, "cwchar"sv, "cwctype"sv, "cxxabi.h"sv, "deque"sv, "dirent.h"sv, "dlfcn.h"sv, "emmintrin.h"sv,
    "endian.h"sv, "errno.h"sv, "exception"sv, "execinfo.h"sv, "execution"sv, "expected"sv,
    "experimental/optional"sv, "experimental/string_view"sv, "fcntl.h"sv, "features.h"sv, "fenv.h"sv,
    "filesystem"sv, "float.h"sv, "fnmatch.h"sv, "forward_list"sv, "fstream"sv, "functional"sv, "future"sv,
    "getopt.h"sv, "glob.h"sv, "grp.h"sv, "iconv.h"sv, "immintrin.h"sv, "initializer_list"sv, "inttypes.h"sv,
    "iomanip"sv, "ios"sv, "iosfwd"sv, "iostream"sv, "iso646.h"sv, "istream"sv, "iterator"sv, "langinfo.h"sv,
    "latch"sv, "libgen.h"sv, "limits"sv, "limits.h"sv, "link.h"sv, "list"sv, "locale"sv, "locale.h"sv,
    "malloc.h"sv, "map"sv, "math.h"sv, "memory"sv, "memory_resource"sv, "mmintrin.h"sv, "mutex"sv,
    "net/if.h"sv, "netdb.h"sv, "netinet/in.h"sv, "netinet/tcp.h"sv, "new"sv, "numbers"sv, "numeric"sv,
    "optional"sv, "ostream"sv, "poll.h"sv, "pthread.h"sv, "pwd.h"sv, "queue"sv, "random"sv, "ranges"sv,
    "ratio"sv, "regex"sv, "regex.h"sv, "sched.h"sv, "scoped_allocator"sv, "semaphore"sv, "semaphore.h"sv,
    "set"sv, "setjmp.h"sv, "shared_mutex"sv, "signal.h"sv, "smmintrin.h"sv, "source_location"sv, "span"sv,
    "spanstream"sv, "spawn.h"sv, "sstream"sv, "stack"sv, "stacktrace"sv, "stdalign.h"sv, "stdarg.h"sv,
    "stdatomic.h"sv, "stdbool.h"sv, "stddef.h"sv, "stdexcept"sv, "stdint.h"sv, "stdio.h"sv, "stdlib.h"sv,
    "stdnoreturn.h"sv, "stop_token"sv, "streambuf"sv, "string"sv, "string.h"sv, "string_view"sv,
    "strings.h"sv, "syncstream"sv, "sys/auxv.h"sv, "sys/epoll.h"sv, "sys/eventfd.h"sv, "sys/file.h"sv,
    "sys/ioctl.h"sv, "sys/mman.h"sv, "sys/param.h"sv, "sys/prctl.h"sv, "sys/resource.h"sv, "sys/select.h"sv,
    "sys/socket.h"sv, "sys/stat.h"sv, "sys/syscall.h"sv, "sys/sysinfo.h"sv, "sys/time.h"sv, "sys/times.h"sv,
    "sys/types.h"sv, "sys/uio.h"sv, "sys/un.h"sv, "sys/utsname.h"sv, "sys/wait.h"sv, "syslog.h"sv,
    "system_error"sv, "termios.h"sv, "tgmath.h"sv, "thread"sv, "threads.h"sv, "time.h"sv, "tmmintrin.h"sv,
    "tuple"sv, "type_traits"sv, "typeindex"sv, "typeinfo"sv, "uchar.h"sv, "ucontext.h"sv, "unistd.h"sv,
    "unordered_map"sv, "unordered_set"sv, "utility"sv, "valarray"sv, "variant"sv, "vector"sv, "version"sv,
    "wchar.h"sv, "wctype.h"sv, "x86intrin.h"sv, "xmmintrin.h"sv,
};

static_assert(std::is_sorted(kGnuAttributes.begin(), kGnuAttributes.end()));
static_assert(std::is_sorted(kSystemHeaders.begin(), kSystemHeaders.end()));

// `__name__` is the same attribute as `name`.
std::string_view bareAttribute(std::string_view name) noexcept
{
    if (name.size() > 4 && name.starts_with("__") && name.ends_with("__")) return name.substr(2, name.size() - 4);
    return name;
}

}  // namespace

FeatureQuery featureQueryOf(std::string_view name) noexcept
{
    if (!name.starts_with("__has_")) return FeatureQuery::None;
    if (name == "__has_include" || name == "__has_include_next") return FeatureQuery::HasInclude;
    if (name == "__has_cpp_attribute") return FeatureQuery::HasCppAttribute;
    if (name == "__has_attribute") return FeatureQuery::HasAttribute;
    if (name == "__has_builtin") return FeatureQuery::HasBuiltin;
    if (name == "__has_feature" || name == "__has_extension" || name == "__has_warning"
        || name == "__has_declspec_attribute" || name == "__has_c_attribute") {
        return FeatureQuery::Unknown;
    }
    return FeatureQuery::None;
}

bool isDefinedQuery(std::string_view name) noexcept
{
    const FeatureQuery query = featureQueryOf(name);
    return query != FeatureQuery::None && query != FeatureQuery::Unknown;
}

std::int32_t attributeValue(std::string_view name, bool cpp) noexcept
{
    std::string_view scope;
    if (const auto colons = name.find("::"); colons != std::string_view::npos) {
        scope = bareAttribute(name.substr(0, colons));
        name = name.substr(colons + 2);
    }
    name = bareAttribute(name);
    if (scope.empty() || !cpp) {
        for (const AttributeValue& attribute : kStandardAttributes) {
            if (attribute.name == name) return attribute.value;
        }
        if (cpp && scope.empty()) return 0;  // a GNU attribute is named with its scope in [[...]]
    }
    if (!scope.empty() && scope != "gnu") return 0;
    return sortedContains(kGnuAttributes, name) ? 1 : 0;
}

bool hasBuiltin(std::string_view name) noexcept
{
    return name.starts_with("__builtin_") || name.starts_with("__sync_") || name.starts_with("__atomic_")
        || (name.starts_with("__is_") && name != "__is_pointer") || name.starts_with("__has_trivial_")
        || name.starts_with("__has_nothrow_") || name == "__has_virtual_destructor"
        || name == "__has_unique_object_representations" || name == "__underlying_type";
}

bool isSystemHeader(std::string_view name) noexcept
{
    return sortedContains(kSystemHeaders, name);
}

}  // namespace qm::frontend
