#include "cli/node_detail_json.h"

#include "model/token_text.h"

namespace qm::cli {

namespace {

using nlohmann::json;
using model::NodeKind;

json text(const model::TokenRefs& tokens)
{
    return model::TokenText(tokens, true);
}

json qualifiedName(const model::QualifiedName& name)
{
    return {{"name", name.name}, {"scope", name.scope}};
}

json parameters(const std::vector<model::ParameterRecord>& records)
{
    json list = json::array();
    for (const auto& record : records) list.push_back(text(record.tokens));
    return list;
}

json bases(const std::vector<model::BaseClassEntry>& entries)
{
    json list = json::array();
    for (const auto& entry : entries) {
        list.push_back({{"name", qualifiedName(entry.name)}, {"virtual", entry.isVirtual != 0}});
    }
    return list;
}

json variable(const model::VariableDetail& d)
{
    json more = json::array();
    for (const auto& next : d.more) more.push_back(variable(next));
    return {{"type", text(d.typeTokens)},       {"pointer", text(d.pointerTokens)},
            {"name", qualifiedName(d.name)},     {"dims", text(d.dimensionTokens)},
            {"init", text(d.initializerTokens)}, {"access", static_cast<int>(d.access)},
            {"more", more}};
}

json operatorMethod(const model::OperatorDetail& d)
{
    return {{"leading", text(d.leadingTokens)},
            {"operator", model::TokenText(d.operatorTokens, false)},
            {"params", parameters(d.parameters)},
            {"access", static_cast<int>(d.access)}};
}

}  // namespace

std::optional<json> nodeDetailJson(const model::AnalysisNode& node)
{
    if (!node.detail) {
        return std::nullopt;
    }
    switch (node.kind) {
    case NodeKind::Class:
    case NodeKind::Struct:
        if (const auto* d = node.detailAs<model::ClassDetail>()) {
            return json{{"name", qualifiedName(d->name)},
                        {"publicBases", bases(d->publicBases)},
                        {"protectedBases", bases(d->protectedBases)},
                        {"privateBases", bases(d->privateBases)}};
        }
        break;
    case NodeKind::Union:
    case NodeKind::Enum:
    case NodeKind::Namespace:
        if (const auto* d = node.detailAs<model::TextDetail>()) return json{{"name", d->text}};
        break;
    case NodeKind::NamespaceAlias:
        if (const auto* d = node.detailAs<model::NamespaceAliasDetail>()) {
            return json{{"alias", d->alias}, {"target", qualifiedName(d->target)}};
        }
        break;
    case NodeKind::Template:
        if (const auto* d = node.detailAs<model::TemplateDetail>()) return json{{"exported", d->exported}};
        break;
    case NodeKind::Variable:
        if (const auto* d = node.detailAs<model::VariableDetail>()) return variable(*d);
        break;
    case NodeKind::Asm:
        if (const auto* d = node.detailAs<model::TextDetail>()) return json{{"text", d->text}};
        break;
    case NodeKind::Typedef:
        if (const auto* d = node.detailAs<model::TypedefDetail>()) {
            json names = json::array();
            for (const auto& n : d->names) {
                names.push_back({{"name", n.name}, {"pointers", n.pointers}, {"references", n.references}});
            }
            return json{{"names", names}};
        }
        break;
    case NodeKind::ClassDeclare:
    case NodeKind::StructDeclare:
        if (const auto* d = node.detailAs<model::ClassDeclareDetail>()) {
            return json{{"first", qualifiedName(d->first)},
                        {"name", qualifiedName(d->name)},
                        {"access", static_cast<int>(d->access)}};
        }
        break;
    case NodeKind::Extern:
        if (const auto* d = node.detailAs<model::TextDetail>()) return json{{"linkage", d->text}};
        break;
    case NodeKind::Using:
        if (const auto* d = node.detailAs<model::UsingDetail>()) {
            return json{{"name", qualifiedName(d->name)}, {"rest", text(d->rest)}};
        }
        break;
    case NodeKind::UsingNamespace:
        if (const auto* d = node.detailAs<model::UsingNamespaceDetail>()) return json{{"name", qualifiedName(d->name)}};
        break;
    case NodeKind::ShortDeclare:
        if (const auto* d = node.detailAs<model::ShortDeclareDetail>()) {
            return json{{"basicType", d->basicType},
                        {"name", d->name},
                        {"typeName", d->typeName},
                        {"access", static_cast<int>(d->access)}};
        }
        break;
    case NodeKind::Function:
        if (const auto* d = node.detailAs<model::FunctionDetail>()) {
            return json{{"name", qualifiedName(d->name)},
                        {"nameTokens", text(d->nameTokens)},
                        {"returns", text(d->returnTokens)},
                        {"params", parameters(d->parameters)},
                        {"access", static_cast<int>(d->access)}};
        }
        break;
    case NodeKind::PreprocessingInclude:
        if (const auto* d = node.detailAs<model::IncludeDetail>()) {
            return json{{"quoted", d->quoted}, {"header", d->header}, {"unitIndex", d->unitIndex}};
        }
        break;
    case NodeKind::PreprocessingIf:
    case NodeKind::PreprocessingIfdef:
    case NodeKind::PreprocessingIfndef:
    case NodeKind::PreprocessingElif:
        if (const auto* d = node.detailAs<model::ConditionTokensDetail>()) return json{{"condition", text(d->tokens)}};
        break;
    case NodeKind::IfStatement:
    case NodeKind::ElseIfStatement:
    case NodeKind::ElseStatement:
    case NodeKind::WhileStatement:
    case NodeKind::ReturnStatement:
    case NodeKind::SwitchStatement:
    case NodeKind::CaseStatement:
    case NodeKind::CatchStatement:
        if (const auto* d = node.detailAs<model::ConditionDetail>()) {
            return json{{"condition", text(d->condition.tokens)}};
        }
        break;
    case NodeKind::ForStatement:
        if (const auto* d = node.detailAs<model::ForDetail>()) {
            return json{{"init", text(d->init.tokens)},
                        {"condition", text(d->condition.tokens)},
                        {"step", text(d->step.tokens)}};
        }
        break;
    case NodeKind::GotoStatement:
    case NodeKind::LabelStatement:
        if (const auto* d = node.detailAs<model::TextDetail>()) return json{{"label", d->text}};
        break;
    case NodeKind::Expression:
        if (const auto* d = node.detailAs<model::ExpressionDetail>()) {
            json calls = json::array();
            for (const auto& call : d->calls) {
                calls.push_back({{"callee", model::TokenText(call.callee, false)}, {"args", parameters(call.arguments)}});
            }
            return json{{"calls", calls}};
        }
        break;
    case NodeKind::OverloadMethod:
        if (const auto* d = node.detailAs<model::OperatorDetail>()) return operatorMethod(*d);
        break;
    case NodeKind::OverloadFunctionMethod:
        if (const auto* d = node.detailAs<model::OperatorFunctionDetail>()) {
            json detail = operatorMethod(*d);
            detail["scope"] = d->scope;
            return detail;
        }
        break;
    default:
        break;
    }
    return std::nullopt;
}

}  // namespace qm::cli
