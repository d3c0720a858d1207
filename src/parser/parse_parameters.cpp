#include "parser/parse_parameters.h"

namespace qm::parser {

std::vector<model::ParameterRecord> parseParameters(const model::AnalysisNode& node, std::size_t open)
{
    std::vector<model::ParameterRecord> parameters;
    model::ParameterRecord piece;
    int depth = 0;
    auto finishPiece = [&] {
        if (!piece.tokens.empty()) {
            parameters.push_back(std::move(piece));
        }
        piece = model::ParameterRecord();
    };
    for (std::size_t i = open + 1; i < node.tokens.size(); ++i) {
        const model::Token* token = node.tokens[i];
        if (token->code == ')') {
            if (depth == 0) {
                finishPiece();
                return parameters;
            }
            --depth;
        } else if (token->code == '(') {
            ++depth;
        } else if (token->code == ',' && depth == 0) {
            finishPiece();
            continue;
        }
        piece.tokens.push_back(token);
    }
    finishPiece();
    return parameters;
}

}  // namespace qm::parser
