// ClassBox: one class of the class diagram as a box with its name and three foldable
// compartments, "Attributes" (variable members), "Methods" (function members, with parameter
// lists and return types that can be shortened to " (..)" and " : ..") and "Etc." (every other
// member, drawn as a nested ClassBox). This file fills a box from the symbol table, measures,
// places and paints it, and decides what a click on it toggles. Nested boxes nest as deeply as
// the scopes of the input do, so every walk over them uses an explicit stack.
#pragma once

#include "draw/shape_painter.h"
#include "draw/text_metrics.h"
#include "macro/theme.h"
#include "model/symbol_table.h"

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace qm::macro {

inline constexpr std::string_view kAttributesLabel = "Attributes";
inline constexpr std::string_view kMethodsLabel = "Methods";
inline constexpr std::string_view kEtcLabel = "Etc.";
// What a hidden parameter list and a hidden return type show instead.
inline constexpr std::string_view kHiddenParameters = " (..)";
inline constexpr std::string_view kHiddenReturnType = " : ..";
// The parameter text of a method without parameters, which is always shown.
inline constexpr std::string_view kEmptyParameters = " ()";

// The element categories whose fonts and colours the three compartments use.
inline constexpr std::int32_t kAttributesCategory = 12;
inline constexpr std::int32_t kMethodsCategory = 22;
inline constexpr std::int32_t kEtcCategory = 7;

// Colours of the method texts: parameters blue, return types red, names black.
inline constexpr draw::Rgb kParameterColor{0, 0, 255};
inline constexpr draw::Rgb kReturnTypeColor{255, 0, 0};

// One variable member: access prefix and name ("+ count").
struct MemberLine {
    std::string text;
    int width = 0;
    int height = 0;
};

// One function member: "+ f", " (int a, char * b)", " : void" (empty without return tokens).
struct MethodLine {
    std::string nameText;
    int nameWidth = 0;
    int nameHeight = 0;
    std::string parameterText;
    int parameterWidth = 0;  // the shown text's width plus 1
    std::string returnText;
    int returnWidth = 0;
};

// One compartment's fold state and header geometry.
struct Compartment {
    bool expanded = true;
    int markerSize = 0;
    int headerX = 0;
    int headerY = 0;
    int headerWidth = 0;
    int headerHeight = 0;
    int widestLine = 0;
    int totalLineHeight = 0;
};

// The measured header labels, each its text extent plus 2 in both directions.
struct CompartmentLabels {
    draw::Size attributes;
    draw::Size methods;
    draw::Size etc;
};

struct ClassBox {
    const model::SymbolEntry* entry = nullptr;  // the element shown; not owned
    int width = 0;
    int height = 0;
    int x = 0;
    int y = 0;
    bool showParameters = true;   // false: parameter lists show as " (..)"
    bool showReturnTypes = true;  // false: return types show as " : .."
    bool expanded = true;         // the box shows its compartments
    int titleMarker = 0;          // title height - 2 when a compartment is non-empty, else 0
    int titleX = 0;
    int titleY = 0;
    int titleWidth = 0;
    int titleHeight = 0;
    int innerWidth = 0;           // width of the title and compartment rows
    int compartmentsHeight = 0;   // height of the shown compartments
    Compartment attributesPart;
    Compartment methodsPart;
    Compartment etcPart;
    std::vector<MemberLine> attributes;
    std::vector<MethodLine> methods;
    std::vector<ClassBox> nested;

    ClassBox() = default;
    ClassBox(ClassBox&&) noexcept = default;
    ClassBox& operator=(ClassBox&&) noexcept = default;
    ClassBox(const ClassBox&) = delete;
    ClassBox& operator=(const ClassBox&) = delete;
    // Takes the nested boxes apart with an explicit stack.
    ~ClassBox();

    bool hasCompartments() const noexcept { return !attributes.empty() || !methods.empty() || !nested.empty(); }
    // Whether the nested boxes are shown: the box and its "Etc." are expanded.
    bool showsNested() const noexcept { return expanded && etcPart.expanded && !nested.empty(); }
    draw::Rect rect() const noexcept { return draw::Rect{x, y, width, height}; }
};

// "+ ", "# " for protected, "- " for private.
std::string_view accessPrefix(model::Access access) noexcept;

// The access of an entry: that of its first declaration node, else of its first definition node.
model::Access entryAccess(const model::SymbolEntry& entry) noexcept;

// The node an entry is described by: its first declaration, else its first definition; null
// when it has neither.
const model::AnalysisNode* describingNode(const model::SymbolEntry& entry) noexcept;

// The parameter text a method line shows: its list, or " (..)" when parameters are hidden and the
// list is not empty.
std::string_view shownParameters(const ClassBox& box, const MethodLine& line) noexcept;
// The return text a method line shows: " : .." when return types are hidden and there is one.
std::string_view shownReturnType(const ClassBox& box, const MethodLine& line) noexcept;

// Makes `box` show `entry`, with the default fold states: a MemberLine for every child of
// variable category, a MethodLine for every child of function category (parameters and return
// type from its first declaration, else its first definition) and a nested box for every other
// child, filled the same way, all in table order. Returns the number of boxes and lines made.
std::size_t fillBox(ClassBox& box, const model::SymbolEntry& entry);

// The header labels measured in their compartments' fonts.
CompartmentLabels measureLabels(const draw::TextMetrics& metrics, const ThemeFonts& fonts);

// Measures `box` and every box nested in it (nested boxes first): line extents, compartment
// headers, title, inner width, compartments height and the box's size.
void measureBox(ClassBox& box, const draw::TextMetrics& metrics, const ThemeFonts& fonts,
                const CompartmentLabels& labels, int boxPadding);

// Puts `box` with its top left corner at `topLeft`; when it is expanded, its compartment
// headers follow below the title and, when "Etc." is expanded, its nested boxes (recursively).
void placeBox(ClassBox& box, draw::Point topLeft, int boxPadding);

// Paints `box` and, when it and its "Etc." are expanded, its nested boxes. Boxes that do not
// touch the painter's clip box are skipped.
void paintBox(draw::Canvas& canvas, draw::ShapePainter& painter, const ClassBox& box, const Theme& theme,
              int boxPadding);

enum class ClickKind : int { Single = 0, Double = 1 };

// What a click changed.
enum class ClassToggle {
    None,
    Box,          // the box's expanded flag
    Attributes,   // a compartment's expanded flag
    Methods,      // (a double click sets both method toggles to the new state as well)
    Etc,
    Parameters,   // showParameters
    ReturnTypes,  // showReturnTypes
};

// The answer to a click: whether a box took it (the view then measures again and repaints),
// which box and what it toggled.
struct ClassClick {
    bool handled = false;
    ClassBox* box = nullptr;
    ClassToggle toggled = ClassToggle::None;
};

// Offers a click at diagram point `point` to `box` and its shown nested boxes, nested boxes
// first. A box takes a point strictly inside it; a single click toggles the marker or method
// toggle square under the point, a double click the title or header row under it.
ClassClick clickBox(ClassBox& box, draw::Point point, ClickKind kind);

}  // namespace qm::macro
