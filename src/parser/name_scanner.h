// NameScanner: reads a possibly qualified name from a node's tokens: `A::B::f`, `~X`,
// `operator+=`, `operator()`, `operator new`. The class header, namespace aliases, using
// declarations and the symbol table build use the names it produces.
#pragma once

#include "model/analysis_node.h"
#include "model/token.h"

#include <cstddef>
#include <span>

namespace qm::parser {

// True for the tokens that may follow `operator` as the whole operator symbol: the one-character
// operators, the two- and three-character ones from `->` to `|=`, `new` and `delete`. `(` and
// `[` are not among them: they need their closing partner.
bool isOperatorSymbol(model::TokenCode code) noexcept;

struct ScannedName {
    model::QualifiedName name;
    std::size_t end = 0;   // one past the last token consumed
    bool failed = false;   // nothing was consumed, or a second `~` was met
};

class NameScanner {
public:
    // The states a scan may start in; both expect a name and behave alike.
    static constexpr int kExpectName = 0;
    static constexpr int kExpectNameAgain = 2;

    // Scans from `start`. A conversion operator (`operator int`) gives an empty name; `~X` ends
    // before the X, whose text is already in the name "~X".
    ScannedName scan(model::TokenRefsView tokens, std::size_t start, int initialState = kExpectName);

private:
    enum State { ExpectName = 0, AfterIdentifier = 1, ExpectNameAgain = 2, AfterOperator = 3 };

    // Takes the token after `operator` (or after its `(` or `[`) into the name.
    void takeOperatorToken(const model::Token& token, std::string& name);

    State m_state = ExpectName;
    bool m_tildeSeen = false;
};

}  // namespace qm::parser
