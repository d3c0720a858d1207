#include "frontend/macro_table.h"

namespace qm::frontend {

void MacroTable::defineValue(const std::string& name, long value)
{
    MacroDefinition definition;
    definition.name = name;
    model::Token token;
    token.line = 0;
    token.code = model::tok::DecimalInteger;
    token.text = std::to_string(value);
    definition.replacement.push_back(std::move(token));
    define(std::move(definition));
}

}  // namespace qm::frontend
