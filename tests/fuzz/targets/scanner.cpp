// The scanner in each of its modes: the same tokens, lines and messages whatever the mode, and a
// token budget that keeps a prefix of them.
#include "../fuzz_support.h"
#include "frontend/token_scanner.h"

#include <cstdlib>

using namespace qm;

namespace {

std::string describe(const std::vector<model::Token>& tokens)
{
    std::string out;
    for (const auto& t : tokens) {
        out += std::to_string(t.line) + ':' + std::to_string(t.code);
        if (model::carriesText(t.code)) out.append(1, '=').append(t.text.view());
        out += '\n';
    }
    return out;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string_view text = fuzz::asText(data, size);
    for (const frontend::CrLf crLf : {frontend::CrLf::AsWritten, frontend::CrLf::AsLineFeed}) {
        std::string first;
        std::string firstMessages;
        for (const frontend::ScanMode mode :
             {frontend::ScanMode::TokenByToken, frontend::ScanMode::Avx2Blocks, frontend::ScanMode::Fastest}) {
            std::vector<model::Token> tokens;
            std::string messages;
            frontend::scanTokens(text, crLf, tokens, [&](std::string_view m) { messages += m; }, mode);
            const std::string seen = describe(tokens);
            if (mode == frontend::ScanMode::TokenByToken) {
                first = seen;
                firstMessages = messages;
            } else if (seen != first || messages != firstMessages) {
                std::abort();  // the modes must agree
            }
            // A budget keeps the first tokens of the whole scan.
            if (!tokens.empty()) {
                const std::size_t budget = data[0] % (tokens.size() + 1);
                std::vector<model::Token> cut;
                const bool whole = frontend::scanTokens(text, crLf, cut, [](std::string_view) {}, mode, budget);
                if (cut.size() != budget || whole != (budget == tokens.size())) std::abort();
                for (std::size_t i = 0; i < budget; ++i) {
                    if (!(cut[i] == tokens[i])) std::abort();
                }
            }
        }
    }
    return 0;
}
