#include "parser/parse_parameters.h"

#include "parser/declaration_prefix.h"

namespace qm::parser {

namespace tok = model::tok;

std::vector<model::ParameterRecord> parseParameters(const model::AnalysisNode& node, std::size_t open)
{
    std::vector<model::ParameterRecord> parameters;
    model::ParameterRecord piece;
    int depth = 0;
    bool comparisons = false;  // a `<` that closes nowhere was met: the others compare too
    auto finishPiece = [&] {
        if (!piece.tokens.empty()) {
            parameters.push_back(std::move(piece));
        }
        piece = model::ParameterRecord();
    };
    // `( void )` declares no parameters.
    auto finish = [&] {
        finishPiece();
        if (parameters.size() == 1 && parameters.front().tokens.size() == 1 && parameters.front().tokens.front()->code == tok::Void) {
            parameters.clear();
        }
        return parameters;
    };
    for (std::size_t i = open + 1; i < node.tokens.size(); ++i) {
        const model::Token* token = node.tokens[i];
        const model::TokenCode code = token->code;
        if (code == ')' || code == ']' || code == '}') {
            if (depth == 0 && code == ')') {
                return finish();
            }
            --depth;
        } else if (code == '(' || code == '[' || code == '{') {
            ++depth;
        } else if (code == '<' && !comparisons && i > open + 1 && node.tokens[i - 1]->code == tok::Identifier) {
            // std :: map < int , int > m   the commas of template arguments stay in the piece.
            const std::size_t close = groupEnd(node.tokens, i);
            if (close != kNotClosed && close < node.tokens.size()) {
                piece.tokens.append(node.tokens.view().subspan(i, close - i));
                i = close - 1;
                continue;
            }
            comparisons = true;
        } else if (code == ',' && depth == 0) {
            finishPiece();
            continue;
        }
        piece.tokens.push_back(token);
    }
    return finish();
}

}  // namespace qm::parser
