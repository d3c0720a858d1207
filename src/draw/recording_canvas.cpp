// RecordingCanvas: every drawing call becomes a Record with a one-line text form.
#include "draw/recording_canvas.h"

#include <cassert>
#include <sstream>

namespace qm::draw {

namespace {

const FixedTextMetrics& defaultMetrics()
{
    static const FixedTextMetrics metrics(8, 16);
    return metrics;
}

void putRect(std::ostream& out, const Rect& r)
{
    out << r.left << ',' << r.top << ' ' << r.width << 'x' << r.height;
}

void putPoints(std::ostream& out, const std::vector<Point>& points)
{
    for (std::size_t i = 0; i < points.size(); ++i) {
        out << (i == 0 ? "" : " ") << points[i].x << ',' << points[i].y;
    }
}

// Text in double quotes; quotes, backslashes and control bytes escaped so a record stays one line.
void putQuoted(std::ostream& out, const std::string& text)
{
    out << '"';
    for (const char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        if (c == '"' || c == '\\') {
            out << '\\' << c;
        } else if (c == '\n') {
            out << "\\n";
        } else if (c == '\t') {
            out << "\\t";
        } else if (byte < 0x20 || byte == 0x7F) {
            static const char* const hex = "0123456789abcdef";
            out << "\\x" << hex[byte >> 4] << hex[byte & 0xF];
        } else {
            out << c;
        }
    }
    out << '"';
}

const char* opName(Record::Op op)
{
    switch (op) {
    case Record::Op::Line: return "line";
    case Record::Op::Rect: return "rect";
    case Record::Op::Fill: return "fill";
    case Record::Op::Ellipse: return "ellipse";
    case Record::Op::RoundRect: return "roundrect";
    case Record::Op::Polygon: return "polygon";
    case Record::Op::Polyline: return "polyline";
    case Record::Op::Invert: return "invert";
    case Record::Op::Text: return "text";
    case Record::Op::PushClip: return "clip";
    case Record::Op::PopClip: return "unclip";
    }
    return "?";
}

const char* clipKindName(Outline::Kind kind)
{
    switch (kind) {
    case Outline::Kind::Rectangle: return "rect";
    case Outline::Kind::Ellipse: return "ellipse";
    case Outline::Kind::RoundRect: return "roundrect";
    case Outline::Kind::Polygon: return "polygon";
    }
    return "?";
}

}  // namespace

std::string toString(Rgb color)
{
    std::ostringstream out;
    out << "RGB(" << int{color.r} << ',' << int{color.g} << ',' << int{color.b} << ')';
    return out.str();
}

std::string toString(const Pen& pen)
{
    const char* style = "solid";
    switch (pen.style) {
    case PenStyle::Solid: style = "solid"; break;
    case PenStyle::Dot: style = "dot"; break;
    case PenStyle::Dash: style = "dash"; break;
    case PenStyle::Null: return "null";
    }
    std::ostringstream out;
    out << style << ':' << pen.width << ':' << toString(pen.color);
    return out.str();
}

std::string toString(const Brush& brush)
{
    return brush.style == BrushStyle::Null ? "null" : toString(brush.color);
}

std::string toString(const FontSpec& font)
{
    std::ostringstream out;
    out << font.face << ':' << font.size;
    switch (font.unit) {
    case FontUnit::CellPixels: out << "cell"; break;
    case FontUnit::CharPixels: out << "px"; break;
    case FontUnit::Points: out << "pt"; break;
    }
    if (font.bold) out << ":bold";
    if (font.italic) out << ":italic";
    if (font.underline) out << ":underline";
    return out.str();
}

std::string Record::str() const
{
    std::ostringstream out;
    out << opName(op) << ' ';
    switch (op) {
    case Op::Line:
        putPoints(out, points);
        out << " pen=" << toString(pen);
        break;
    case Op::Rect:
    case Op::Ellipse:
        putRect(out, box);
        out << " pen=" << toString(pen) << " brush=" << toString(brush);
        break;
    case Op::RoundRect:
        putRect(out, box);
        out << " corner=" << corner.width << 'x' << corner.height << " pen=" << toString(pen)
            << " brush=" << toString(brush);
        break;
    case Op::Polygon:
        putPoints(out, points);
        out << " pen=" << toString(pen) << " brush=" << toString(brush);
        break;
    case Op::Polyline:
        putPoints(out, points);
        out << " pen=" << toString(pen);
        break;
    case Op::Fill:
        putRect(out, box);
        out << ' ' << toString(color);
        break;
    case Op::Invert:
        putRect(out, box);
        break;
    case Op::Text:
        putPoints(out, points);
        out << ' ';
        putQuoted(out, text);
        if (textClip) {
            out << " clip=";
            putRect(out, *textClip);
        }
        out << " font=" << toString(font) << " color=" << toString(color) << " bg=";
        if (background == BackgroundMode::Transparent) {
            out << "transparent";
        } else {
            out << "opaque:" << toString(backgroundColor);
        }
        break;
    case Op::PushClip:
        out << clipKindName(clipKind) << ' ';
        if (clipKind == Outline::Kind::Polygon) {
            putPoints(out, points);
        } else {
            putRect(out, box);
        }
        if (clipKind == Outline::Kind::RoundRect) {
            out << " corner=" << corner.width << 'x' << corner.height;
        }
        break;
    case Op::PopClip:
        break;
    }
    std::string line = out.str();
    while (!line.empty() && line.back() == ' ') {
        line.pop_back();
    }
    return line;
}

RecordingCanvas::RecordingCanvas(Rect clipBox, int colorDepth, const TextMetrics* metrics)
    : m_deviceClip(clipBox), m_colorDepth(colorDepth), m_metrics(metrics ? metrics : &defaultMetrics())
{
}

std::vector<std::string> RecordingCanvas::lines() const
{
    std::vector<std::string> result;
    result.reserve(m_records.size());
    for (const Record& record : m_records) {
        result.push_back(record.str());
    }
    return result;
}

std::string RecordingCanvas::text() const
{
    std::string result;
    for (const Record& record : m_records) {
        result += record.str();
        result += '\n';
    }
    return result;
}

std::vector<Record> RecordingCanvas::recordsOf(Record::Op op) const
{
    std::vector<Record> result;
    for (const Record& record : m_records) {
        if (record.op == op) {
            result.push_back(record);
        }
    }
    return result;
}

Rect RecordingCanvas::clipBox() const
{
    return m_clips.empty() ? m_deviceClip : m_clips.back();
}

Record& RecordingCanvas::add(Record::Op op)
{
    Record& record = m_records.emplace_back();
    record.op = op;
    return record;
}

void RecordingCanvas::drawLine(Point from, Point to)
{
    Record& record = add(Record::Op::Line);
    record.points = {from, to};
    record.pen = m_pen;
}

void RecordingCanvas::drawRect(const Rect& box)
{
    Record& record = add(Record::Op::Rect);
    record.box = box;
    record.pen = m_pen;
    record.brush = m_brush;
}

void RecordingCanvas::drawEllipse(const Rect& box)
{
    Record& record = add(Record::Op::Ellipse);
    record.box = box;
    record.pen = m_pen;
    record.brush = m_brush;
}

void RecordingCanvas::drawRoundRect(const Rect& box, Size corner)
{
    Record& record = add(Record::Op::RoundRect);
    record.box = box;
    record.corner = corner;
    record.pen = m_pen;
    record.brush = m_brush;
}

void RecordingCanvas::drawPolygon(std::span<const Point> points)
{
    Record& record = add(Record::Op::Polygon);
    record.points.assign(points.begin(), points.end());
    record.pen = m_pen;
    record.brush = m_brush;
}

void RecordingCanvas::drawPolyline(std::span<const Point> points)
{
    Record& record = add(Record::Op::Polyline);
    record.points.assign(points.begin(), points.end());
    record.pen = m_pen;
}

void RecordingCanvas::fillRect(const Rect& box, Rgb color)
{
    Record& record = add(Record::Op::Fill);
    record.box = box;
    record.color = color;
}

void RecordingCanvas::invertRect(const Rect& box)
{
    add(Record::Op::Invert).box = box;
}

void RecordingCanvas::addText(Point topLeft, std::string_view text, std::optional<Rect> clip)
{
    Record& record = add(Record::Op::Text);
    record.points = {topLeft};
    record.text.assign(text);
    record.textClip = clip;
    record.font = m_font;
    record.color = m_textColor;
    record.background = m_backgroundMode;
    record.backgroundColor = m_backgroundColor;
}

void RecordingCanvas::drawText(Point topLeft, std::string_view text)
{
    addText(topLeft, text, std::nullopt);
}

void RecordingCanvas::drawTextClipped(Point topLeft, std::string_view text, const Rect& clip)
{
    addText(topLeft, text, clip);
}

Size RecordingCanvas::textSize(std::string_view text) const
{
    return m_metrics->textSize(m_font, text);
}

void RecordingCanvas::pushClip(const Outline& outline)
{
    Record& record = add(Record::Op::PushClip);
    record.clipKind = outline.kind;
    record.box = outline.bounds;
    record.corner = outline.corner;
    record.points = outline.points;
    m_clips.push_back(clipBox().intersected(outline.bounds));
}

void RecordingCanvas::popClip()
{
    assert(!m_clips.empty() && "popClip without a matching pushClip");
    if (!m_clips.empty()) {
        m_clips.pop_back();
    }
    add(Record::Op::PopClip);
}

}  // namespace qm::draw
