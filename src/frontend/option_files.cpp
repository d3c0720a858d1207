#include "frontend/option_files.h"

#include "frontend/atomic_file.h"

#include "frontend/c_numbers.h"
#include "frontend/small_file.h"
#include "model/error.h"

#include <atomic>
#include <cerrno>
#include <cstdlib>
#include <fstream>
#include <string>

#include <fcntl.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

namespace qm::frontend {

namespace fs = std::filesystem;

const std::vector<std::string>& selectIncludeList(const IncludeDirectoryLists& lists, int index)
{
    static const std::vector<std::string> kNone;
    if (index < 0 || static_cast<std::size_t>(index) >= lists.lists.size()) {
        return kNone;
    }
    return lists.lists[static_cast<std::size_t>(index)];
}

void fillDefaultIncludeLists(const ProductDirectories& products, IncludeDirectoryLists& lists)
{
    static const std::vector<std::string_view> kOldSuffixes{"\\INCLUDE", "\\MFC\\INCLUDE", "\\ATL\\INCLUDE"};
    static const std::vector<std::string_view> kNewSuffixes{"\\INCLUDE", "\\ATLMFC\\INCLUDE",
                                                            "\\PlatformSDK\\Include\\PRERELEASE",
                                                            "\\PlatformSDK\\Include"};
    for (std::size_t i = 0; i < products.size(); ++i) {
        if (products[i].empty()) {
            continue;
        }
        std::vector<std::string>& list = lists.lists[i];
        list.clear();
        for (const std::string_view suffix : i == 0 ? kOldSuffixes : kNewSuffixes) {
            list.push_back(products[i] + std::string(suffix));
        }
    }
}

ProductDirectories installedProductDirectories()
{
    // The compilers' installation folders come from a system registry this platform lacks.
    return {};
}

void defaultIncludeLists(IncludeDirectoryLists& lists)
{
    fillDefaultIncludeLists(installedProductDirectories(), lists);
}

std::vector<std::string> projectResetIncludeDirectories()
{
    return {
        "E:\\Program Files\\Microsoft Visual Studio\\VC98\\INCLUDE",
        "E:\\Program Files\\Microsoft Visual Studio\\VC98\\MFC\\INCLUDE",
        "E:\\Program Files\\Microsoft Visual Studio\\VC98\\ATL\\INCLUDE",
    };
}

PredefinedWordList buildMacroSeeds(const PredefinedWordList& globalWords, const PredefinedWordList& projectDefines)
{
    PredefinedWordList seeds;
    seeds.reserve(globalWords.size() + projectDefines.size());
    seeds.insert(seeds.end(), globalWords.begin(), globalWords.end());
    seeds.insert(seeds.end(), projectDefines.begin(), projectDefines.end());
    return seeds;
}

std::optional<std::string> validatePredefinedName(std::string_view name)
{
    if (name.empty()) {
        return std::string(kDefinedWordEmptyMessage);
    }
    const char first = name.front();
    const bool isLetter = (first >= 'A' && first <= 'Z') || (first >= 'a' && first <= 'z');
    if (!isLetter && first != '_') {
        return std::string(kDefinedWordNotNameMessage);
    }
    return std::nullopt;
}

namespace {

// Reads a text file, at most kMaxSmallFileBytes of it, line by line, taking off LF or CR LF. A
// file over that size is not read; `report` is told so.
class LineReader {
public:
    LineReader(const fs::path& path, const OptionFileReport& report)
    {
        const SmallFileRead read = readSmallFile(path, m_bytes);
        m_open = read == SmallFileRead::Read;
        m_lines = TextLines(m_bytes);
        if (read == SmallFileRead::TooLarge && report) {
            report(fileTooLargeMessage(path));
        }
    }

    bool isOpen() const { return m_open; }

    // The next line without its line end; false at the end of the file.
    bool next(std::string& line) { return m_lines.next(line); }

private:
    std::string m_bytes;
    bool m_open = false;
    TextLines m_lines{{}};
};

void appendLine(std::string& out, std::string_view line)
{
    out += line;
    out += "\r\n";
}

}  // namespace

bool loadIncludeLists(const fs::path& path, IncludeDirectoryLists& lists, const OptionFileReport& report)
{
    LineReader reader(path, report);
    if (!reader.isOpen()) {
        defaultIncludeLists(lists);
        return false;
    }
    std::string line;
    for (std::vector<std::string>& list : lists.lists) {
        list.clear();
        // The count only bounds the loop; it is never used to reserve memory, since a damaged
        // file may claim billions of lines it does not have.
        const std::int32_t count = reader.next(line) ? parseAtoi(line) : 0;
        for (std::int32_t i = 0; i < count && reader.next(line); ++i) {
            list.push_back(line);
        }
    }
    return true;
}

void saveIncludeLists(const fs::path& path, const IncludeDirectoryLists& lists)
{
    std::string text;
    for (const std::vector<std::string>& list : lists.lists) {
        appendLine(text, std::to_string(list.size()));
        for (const std::string& directory : list) {
            appendLine(text, directory);
        }
    }
    writeFileAtomically(path, text);
}

PredefinedWordList defaultPredefinedWords()
{
    // What GCC 12 defines on x86-64 Linux for C++17 (its default, gnu++17) and C17, without
    // the words whose value is no integer (types, strings, floating values) or does not fit 32
    // bits. The C++ words (`__cplusplus`, `__cpp_...`, `__GNUG__`, `__GXX_...`) reach only C++
    // files, the C words (`__STDC_VERSION__`) only C files (wordAppliesTo). The `__cpp_lib_`
    // words are those the standard library's headers define: a header that tests one after
    // including them sees what the compiler sees, without the headers being read.
    return {
        {"__cplusplus", 201703},
        {"__STDC_VERSION__", 201710},
        {"__STDC__", 1},
        {"__STDC_HOSTED__", 1},
        {"__STDC_UTF_16__", 1},
        {"__STDC_UTF_32__", 1},
        {"__STDC_IEC_559__", 1},
        {"__STDC_IEC_559_COMPLEX__", 1},
        {"__STDC_ISO_10646__", 201706},
        {"__GNUC__", 12},
        {"__GNUC_MINOR__", 2},
        {"__GNUC_PATCHLEVEL__", 0},
        {"__GNUC_STDC_INLINE__", 1},
        {"__GNUG__", 12},
        {"__GXX_ABI_VERSION", 1017},
        {"__GXX_EXPERIMENTAL_CXX0X__", 1},
        {"__GXX_RTTI", 1},
        {"__GXX_WEAK__", 1},
        {"__EXCEPTIONS", 1},
        {"__DEPRECATED", 1},
        {"_GNU_SOURCE", 1},
        {"__NO_INLINE__", 1},
        {"__linux__", 1},
        {"__linux", 1},
        {"__gnu_linux__", 1},
        {"__unix__", 1},
        {"__unix", 1},
        {"__ELF__", 1},
        {"__x86_64__", 1},
        {"__x86_64", 1},
        {"__amd64__", 1},
        {"__amd64", 1},
        {"__k8", 1},
        {"__k8__", 1},
        {"__code_model_small__", 1},
        {"__LP64__", 1},
        {"_LP64", 1},
        {"__pic__", 2},
        {"__PIC__", 2},
        {"__pie__", 2},
        {"__PIE__", 2},
        {"__MMX__", 1},
        {"__SSE__", 1},
        {"__SSE2__", 1},
        {"__SSE_MATH__", 1},
        {"__SSE2_MATH__", 1},
        {"__FXSR__", 1},
        {"__SEG_FS", 1},
        {"__SEG_GS", 1},
        {"__CET__", 3},
        {"__GCC_ASM_FLAG_OUTPUTS__", 1},
        {"__CHAR_BIT__", 8},
        {"__SIZEOF_SHORT__", 2},
        {"__SIZEOF_INT__", 4},
        {"__SIZEOF_LONG__", 8},
        {"__SIZEOF_LONG_LONG__", 8},
        {"__SIZEOF_POINTER__", 8},
        {"__SIZEOF_SIZE_T__", 8},
        {"__SIZEOF_PTRDIFF_T__", 8},
        {"__SIZEOF_WCHAR_T__", 4},
        {"__SIZEOF_WINT_T__", 4},
        {"__SIZEOF_INT128__", 16},
        {"__SIZEOF_FLOAT__", 4},
        {"__SIZEOF_DOUBLE__", 8},
        {"__SIZEOF_LONG_DOUBLE__", 16},
        {"__SIZEOF_FLOAT80__", 16},
        {"__SIZEOF_FLOAT128__", 16},
        {"__BIGGEST_ALIGNMENT__", 16},
        {"__SCHAR_WIDTH__", 8},
        {"__SHRT_WIDTH__", 16},
        {"__INT_WIDTH__", 32},
        {"__LONG_WIDTH__", 64},
        {"__LONG_LONG_WIDTH__", 64},
        {"__PTRDIFF_WIDTH__", 64},
        {"__SIZE_WIDTH__", 64},
        {"__WCHAR_WIDTH__", 32},
        {"__INTPTR_WIDTH__", 64},
        {"__INTMAX_WIDTH__", 64},
        {"__ORDER_LITTLE_ENDIAN__", 1234},
        {"__ORDER_BIG_ENDIAN__", 4321},
        {"__ORDER_PDP_ENDIAN__", 3412},
        {"__BYTE_ORDER__", 1234},
        {"__FLOAT_WORD_ORDER__", 1234},
        {"__SCHAR_MAX__", 127},
        {"__SHRT_MAX__", 32767},
        {"__INT_MAX__", 2147483647},
        {"__WCHAR_MAX__", 2147483647},
        {"__FLT_EVAL_METHOD__", 0},
        {"__FINITE_MATH_ONLY__", 0},
        {"__GCC_IEC_559", 2},
        {"__GCC_IEC_559_COMPLEX", 2},
        {"__ATOMIC_RELAXED", 0},
        {"__ATOMIC_CONSUME", 1},
        {"__ATOMIC_ACQUIRE", 2},
        {"__ATOMIC_RELEASE", 3},
        {"__ATOMIC_ACQ_REL", 4},
        {"__ATOMIC_SEQ_CST", 5},
        {"__GCC_ATOMIC_BOOL_LOCK_FREE", 2},
        {"__GCC_ATOMIC_CHAR_LOCK_FREE", 2},
        {"__GCC_ATOMIC_CHAR16_T_LOCK_FREE", 2},
        {"__GCC_ATOMIC_CHAR32_T_LOCK_FREE", 2},
        {"__GCC_ATOMIC_WCHAR_T_LOCK_FREE", 2},
        {"__GCC_ATOMIC_SHORT_LOCK_FREE", 2},
        {"__GCC_ATOMIC_INT_LOCK_FREE", 2},
        {"__GCC_ATOMIC_LONG_LOCK_FREE", 2},
        {"__GCC_ATOMIC_LLONG_LOCK_FREE", 2},
        {"__GCC_ATOMIC_POINTER_LOCK_FREE", 2},
        {"__GCC_ATOMIC_TEST_AND_SET_TRUEVAL", 1},
        {"__GCC_HAVE_SYNC_COMPARE_AND_SWAP_1", 1},
        {"__GCC_HAVE_SYNC_COMPARE_AND_SWAP_2", 1},
        {"__GCC_HAVE_SYNC_COMPARE_AND_SWAP_4", 1},
        {"__GCC_HAVE_SYNC_COMPARE_AND_SWAP_8", 1},
        {"__GCC_HAVE_DWARF2_CFI_ASM", 1},
        {"__GCC_CONSTRUCTIVE_SIZE", 64},
        {"__GCC_DESTRUCTIVE_SIZE", 64},
        {"__HAVE_SPECULATION_SAFE_VALUE", 1},
        // The C++17 language features.
        {"__cpp_aggregate_bases", 201603}, {"__cpp_aggregate_nsdmi", 201304},
        {"__cpp_alias_templates", 200704}, {"__cpp_aligned_new", 201606},
        {"__cpp_attributes", 200809}, {"__cpp_binary_literals", 201304},
        {"__cpp_capture_star_this", 201603}, {"__cpp_constexpr", 201603},
        {"__cpp_decltype", 200707}, {"__cpp_decltype_auto", 201304},
        {"__cpp_deduction_guides", 201703}, {"__cpp_delegating_constructors", 200604},
        {"__cpp_digit_separators", 201309}, {"__cpp_enumerator_attributes", 201411},
        {"__cpp_exceptions", 199711}, {"__cpp_fold_expressions", 201603},
        {"__cpp_generic_lambdas", 201304}, {"__cpp_guaranteed_copy_elision", 201606},
        {"__cpp_hex_float", 201603}, {"__cpp_if_constexpr", 201606},
        {"__cpp_inheriting_constructors", 201511}, {"__cpp_init_captures", 201304},
        {"__cpp_initializer_lists", 200806}, {"__cpp_inline_variables", 201606},
        {"__cpp_lambdas", 200907}, {"__cpp_namespace_attributes", 201411},
        {"__cpp_nested_namespace_definitions", 201411}, {"__cpp_noexcept_function_type", 201510},
        {"__cpp_nontype_template_args", 201411}, {"__cpp_nontype_template_parameter_auto", 201606},
        {"__cpp_nsdmi", 200809}, {"__cpp_range_based_for", 201603},
        {"__cpp_raw_strings", 200710}, {"__cpp_ref_qualifiers", 200710},
        {"__cpp_return_type_deduction", 201304}, {"__cpp_rtti", 199711},
        {"__cpp_runtime_arrays", 198712}, {"__cpp_rvalue_reference", 200610},
        {"__cpp_rvalue_references", 200610}, {"__cpp_sized_deallocation", 201309},
        {"__cpp_static_assert", 201411}, {"__cpp_structured_bindings", 201606},
        {"__cpp_template_auto", 201606}, {"__cpp_template_template_args", 201611},
        {"__cpp_threadsafe_static_init", 200806}, {"__cpp_unicode_characters", 201411},
        {"__cpp_unicode_literals", 200710}, {"__cpp_user_defined_literals", 200809},
        {"__cpp_variable_templates", 201304}, {"__cpp_variadic_templates", 200704},
        {"__cpp_variadic_using", 201611},
        // The C++17 library features of GCC 12's standard library.
        {"__cpp_lib_addressof_constexpr", 201603}, {"__cpp_lib_allocator_traits_is_always_equal", 201411},
        {"__cpp_lib_any", 201606}, {"__cpp_lib_apply", 201603},
        {"__cpp_lib_array_constexpr", 201803}, {"__cpp_lib_as_const", 201510},
        {"__cpp_lib_atomic_is_always_lock_free", 201603}, {"__cpp_lib_bool_constant", 201505},
        {"__cpp_lib_boyer_moore_searcher", 201603}, {"__cpp_lib_byte", 201603},
        {"__cpp_lib_chrono", 201611}, {"__cpp_lib_chrono_udls", 201304},
        {"__cpp_lib_clamp", 201603}, {"__cpp_lib_complex_udls", 201309},
        {"__cpp_lib_constexpr_char_traits", 201611}, {"__cpp_lib_constexpr_string", 201611},
        {"__cpp_lib_enable_shared_from_this", 201603}, {"__cpp_lib_exchange_function", 201304},
        {"__cpp_lib_execution", 201902}, {"__cpp_lib_filesystem", 201703},
        {"__cpp_lib_gcd", 201606}, {"__cpp_lib_gcd_lcm", 201606},
        {"__cpp_lib_generic_associative_lookup", 201304}, {"__cpp_lib_hardware_interference_size", 201703},
        {"__cpp_lib_has_unique_object_representations", 201606}, {"__cpp_lib_hypot", 201603},
        {"__cpp_lib_incomplete_container_elements", 201505}, {"__cpp_lib_integer_sequence", 201304},
        {"__cpp_lib_integral_constant_callable", 201304}, {"__cpp_lib_invoke", 201411},
        {"__cpp_lib_is_aggregate", 201703}, {"__cpp_lib_is_final", 201402},
        {"__cpp_lib_is_invocable", 201703}, {"__cpp_lib_is_null_pointer", 201309},
        {"__cpp_lib_is_swappable", 201603}, {"__cpp_lib_launder", 201606},
        {"__cpp_lib_lcm", 201606}, {"__cpp_lib_logical_traits", 201510},
        {"__cpp_lib_make_from_tuple", 201606}, {"__cpp_lib_make_reverse_iterator", 201402},
        {"__cpp_lib_make_unique", 201304}, {"__cpp_lib_map_try_emplace", 201411},
        {"__cpp_lib_math_special_functions", 201603}, {"__cpp_lib_memory_resource", 201603},
        {"__cpp_lib_node_extract", 201606}, {"__cpp_lib_nonmember_container_access", 201411},
        {"__cpp_lib_not_fn", 201603}, {"__cpp_lib_null_iterators", 201304},
        {"__cpp_lib_optional", 201606}, {"__cpp_lib_parallel_algorithm", 201603},
        {"__cpp_lib_quoted_string_io", 201304}, {"__cpp_lib_raw_memory_algorithms", 201606},
        {"__cpp_lib_result_of_sfinae", 201210}, {"__cpp_lib_robust_nonmodifying_seq_ops", 201304},
        {"__cpp_lib_sample", 201603}, {"__cpp_lib_scoped_lock", 201703},
        {"__cpp_lib_shared_mutex", 201505}, {"__cpp_lib_shared_ptr_arrays", 201611},
        {"__cpp_lib_shared_ptr_weak_type", 201606}, {"__cpp_lib_shared_timed_mutex", 201402},
        {"__cpp_lib_string_udls", 201304}, {"__cpp_lib_string_view", 201803},
        {"__cpp_lib_to_chars", 201611}, {"__cpp_lib_transformation_trait_aliases", 201304},
        {"__cpp_lib_transparent_operators", 201510}, {"__cpp_lib_tuple_element_t", 201402},
        {"__cpp_lib_tuples_by_type", 201304}, {"__cpp_lib_type_trait_variable_templates", 201510},
        {"__cpp_lib_uncaught_exceptions", 201411}, {"__cpp_lib_unordered_map_try_emplace", 201411},
        {"__cpp_lib_variant", 202102}, {"__cpp_lib_void_t", 201411},
    };
}

PredefinedWordList loadPredefinedWords(const fs::path& path, const OptionFileReport& report)
{
    std::error_code ec;
    if (fs::symlink_status(path, ec).type() == fs::file_type::not_found) {
        return defaultPredefinedWords();  // nothing saved yet
    }
    PredefinedWordList words;
    LineReader reader(path, report);
    std::string name;
    std::string value;
    while (reader.next(name) && reader.next(value)) {
        words.push_back(PredefinedWord{name, narrowToInt32(parseAtol(value))});
    }
    return words;
}

void savePredefinedWords(const fs::path& path, const PredefinedWordList& words)
{
    std::string text;
    for (const PredefinedWord& word : words) {
        appendLine(text, word.name);
        appendLine(text, std::to_string(word.value));
    }
    writeFileAtomically(path, text);
}

namespace {

std::string environmentValue(const char* name)
{
    const char* value = std::getenv(name);
    return value ? std::string(value) : std::string();
}

fs::path homeDirectory()
{
    std::string home = environmentValue("HOME");
    if (!home.empty()) {
        return home;
    }
    struct passwd entry {};
    struct passwd* found = nullptr;
    std::vector<char> buffer(16 * 1024);
    if (::getpwuid_r(::getuid(), &entry, buffer.data(), buffer.size(), &found) == 0 && found && found->pw_dir
        && found->pw_dir[0] != '\0') {
        return found->pw_dir;
    }
    return "/";
}

}  // namespace

fs::path configDirectory()
{
    const std::string overridden = environmentValue("QUILLMARSH_CONFIG_DIR");
    if (!overridden.empty()) {
        return overridden;
    }
    // A relative XDG_CONFIG_HOME is invalid and ignored, as the base directory rules ask.
    const fs::path xdg = environmentValue("XDG_CONFIG_HOME");
    if (xdg.is_absolute()) {
        return xdg / "Quillmarsh";
    }
    return homeDirectory() / ".config" / "Quillmarsh";
}

fs::path ensureConfigDirectory()
{
    const fs::path folder = configDirectory();
    std::error_code ec;
    fs::create_directories(folder, ec);
    if (ec || !fs::is_directory(folder, ec)) {
        throw model::Error(folder.string() + " : cannot create folder");
    }
    return folder;
}

fs::path includeListsPath()
{
    return configDirectory() / "Include.ini";
}

fs::path predefinedWordsPath()
{
    return configDirectory() / "predefined.ini";
}

}  // namespace qm::frontend
