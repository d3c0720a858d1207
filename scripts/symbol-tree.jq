# Prints the "symbols" document of `quillmarsh-cli analyze` as an indented tree:
#   Money  class
#     +  operator (1 parameter)
def kindName:
  {"4": "class", "5": "struct", "6": "union", "7": "enum", "8": "namespace",
   "11": "variables", "12": "variable", "15": "class declaration", "17": "struct declaration",
   "21": "variable", "22": "function", "58": "operator", "59": "operator",
   "61": "scope"}[tostring] // "kind \(.)";
def parameters:
  if .kind == 22 or .kind == 58 or .kind == 59 then
    " (\(.count) parameter\(if .count == 1 then "" else "s" end))"
  else "" end;
def show($depth):
  "\([range($depth)] | map("  ") | join(""))\(.name)  \(.kind | kindName)\(if .isTemplate == 1 then " template" else "" end)\(parameters)",
  (.children[] | show($depth + 1));
.symbols.children[] | show(0)
