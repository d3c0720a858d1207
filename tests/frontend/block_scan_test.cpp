// The block loop of the scanner against its token-by-token loop: generated text made of the
// pieces that decide where blocks stop (literals, comments, numbers, long words, three-byte
// punctuators, line joins, bytes that start no token), at every alignment, and real sources.
#include "scan_helpers.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>
#include <string>
#include <string_view>

namespace qm::frontend {
namespace {

namespace fs = std::filesystem;
using testing::expectSameScan;
using testing::scanIn;

// A small deterministic generator, so that a failure can be reproduced.
class Random {
public:
    explicit Random(std::uint64_t seed) : m_state(seed) {}
    std::uint64_t next()
    {
        m_state ^= m_state << 13;
        m_state ^= m_state >> 7;
        m_state ^= m_state << 17;
        return m_state;
    }
    std::size_t below(std::size_t n) { return static_cast<std::size_t>(next() % n); }

private:
    std::uint64_t m_state;
};

constexpr std::string_view kPieces[] = {
    // words: identifiers of every length class, reserved and directive words, `L` before quotes
    "a", "x1", "_tmp", "value", "Identifier", "camelCaseName", "veryLongIdentifierNameHere",
    "an_identifier_that_is_longer_than_sixty_four_bytes_so_it_cannot_fit_into_one_block_at_all",
    "int", "return", "reinterpret_cast", "while", "include", "define", "__declspec", "L",
    // numbers: plain and all the others
    "0", "7", "42", "1234567890123456789", "09", "0x1F", "0xDeadBeef", "0X7f", "0x1Fu", "0x1g", "0x", "0x.5",
    "1.", "1.5f", ".5", "1e10", "1e+", "10u",
    "1ull", "077", "3.14159265358979323846L", "1..2",
    // punctuators, with the runs that need a closer look
    "(", ")", "{", "}", "[", "]", ";", ",", "?", "~", ":", "::", "->", "->*", "->>", ".", ".*", "...", "....",
    "+", "++", "+++", "+=", "-", "--", "-=", "<", "<<", "<<=", "<<<=", ">>=", ">>>", "=", "==", "===", "!",
    "!=", "!==", "&", "&&", "&=", "|", "||", "|=", "^", "^=", "%", "%=", "*", "*=", "/", "/=", "#", "##",
    // literals and comments
    "\"str\"", "\"a\\\"b\"", "\"unterminated", "'c'", "'\\n'", "''", "L\"wide\"", "L'w'", "<a.h>",
    "// line comment", "/* block */", "/* block\nover lines */", "/* unterminated",
    // blanks, line ends, joins and bytes that start no token
    " ", "  ", "\t", "\n", "\r\n", "\\\n", "\\", "@", "$", "`", "\x80", "\xff", std::string_view("\0", 1),
};

std::string generatedText(Random& random, std::size_t pieces)
{
    std::string text;
    for (std::size_t i = 0; i < pieces; ++i) {
        text += kPieces[random.below(std::size(kPieces))];
        // Mostly a blank between pieces, so that pieces also meet head on.
        if (random.below(4) != 0) text += random.below(8) == 0 ? "\n" : " ";
    }
    return text;
}

// Tokens, lines and messages of the block loop equal those of the token-by-token loop, for the
// text as it is and moved by every offset within a block (blanks in front change nothing else).
void expectBlocksAgree(std::string_view text, CrLf crLf)
{
    const testing::ScanResult expected = scanIn(text, ScanMode::TokenByToken, crLf);
    for (std::size_t shift = 0; shift < 64; ++shift) {
        const std::string moved = std::string(shift, ' ') + std::string(text);
        for (const ScanMode mode : {ScanMode::Fastest, ScanMode::Avx2Blocks}) {
            expectSameScan(expected, scanIn(moved, mode, crLf), "blanks in front: " + std::to_string(shift));
        }
        if (::testing::Test::HasFailure()) {
            ADD_FAILURE() << "text:\n" << text;
            return;
        }
    }
}

TEST(BlockScan, AgreesWithTheTokenLoopOnGeneratedText)
{
    Random random(20261207);
    for (int round = 0; round < 150 && !::testing::Test::HasFailure(); ++round) {
        const std::string text = generatedText(random, 40 + random.below(400));
        expectBlocksAgree(text, round % 2 == 0 ? CrLf::AsWritten : CrLf::AsLineFeed);
    }
}

TEST(BlockScan, AgreesOnDenseRunsOfOneKind)
{
    // Runs with no blank at all: punctuators that chain into longer ones, words and numbers that
    // cross block boundaries, line ends only.
    expectBlocksAgree(std::string(300, '+') + std::string(200, '<') + std::string(150, '=') + std::string(100, '.'),
                      CrLf::AsWritten);
    expectBlocksAgree(std::string(500, 'w') + " " + std::string(200, '7') + " " + std::string(63, 'q'), CrLf::AsWritten);
    expectBlocksAgree(std::string(300, '\n') + std::string(100, ';'), CrLf::AsWritten);
    std::string words;
    for (int i = 0; i < 200; ++i) words += (i % 3 == 0 ? "if " : i % 3 == 1 ? "x0 " : "0 ");
    expectBlocksAgree(words, CrLf::AsWritten);
}

TEST(BlockScan, AgreesOnRealSources)
{
    // The repository, three folders up from this suite's data folder (which need not exist).
    const fs::path root = fs::path(QM_TEST_DATA_DIR).parent_path().parent_path().parent_path();
    std::size_t files = 0;
    for (const char* folder : {"src/frontend", "src/parser", "examples"}) {
        for (const auto& entry : fs::recursive_directory_iterator(root / folder)) {
            const std::string ending = entry.path().extension().string();
            if (!entry.is_regular_file() || (ending != ".cpp" && ending != ".h")) continue;
            std::ifstream in(entry.path(), std::ios::binary);
            std::stringstream bytes;
            bytes << in.rdbuf();
            const std::string text = bytes.str();
            const testing::ScanResult expected = scanIn(text, ScanMode::TokenByToken, CrLf::AsLineFeed);
            expectSameScan(expected, scanIn(text, ScanMode::Fastest, CrLf::AsLineFeed), entry.path().string());
            expectSameScan(expected, scanIn(text, ScanMode::Avx2Blocks, CrLf::AsLineFeed), entry.path().string());
            ++files;
        }
    }
    EXPECT_GT(files, 20u);
}

}  // namespace
}  // namespace qm::frontend
