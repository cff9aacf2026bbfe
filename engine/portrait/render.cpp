// Drawing a computed portrait: one drawing routine over a small canvas
// interface, with two canvases: SVG text (named groups) and Cairo (PNG).
#include "engine/portrait/cairo_api.h"
#include "engine/portrait/labels.h"
#include "engine/portrait/portrait.h"


#include <cmath>
#include <cstdio>
#include <filesystem>
#include <functional>
#include <algorithm>
#include <cctype>
#include <fstream>
#include <map>
#include <memory>
#include <set>
#include <sstream>

#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

namespace vindrel::portrait {

namespace {

struct Colour {
    int r = 0, g = 0, b = 0;
};

constexpr Colour kBlack{0, 0, 0};
constexpr Colour kFieldGrey{190, 190, 190};
constexpr Colour kOrbitGrey{60, 60, 60};
constexpr Colour kRed{214, 39, 40};
constexpr Colour kBlue{31, 119, 180};
constexpr Colour kGreen{44, 160, 44};
constexpr Colour kOrange{230, 159, 0};
constexpr Colour kMagenta{204, 121, 167};
constexpr Colour kPurple{148, 103, 189};
constexpr Colour kBrown{140, 86, 75};
constexpr Colour kGrey{127, 127, 127};
constexpr Colour kTeal{0, 128, 128};

constexpr double kMargin = 24;
constexpr double kLegendWidth = 250;

enum class Clip { None, Plot };
enum class Fill { Filled, Hollow };

struct Pen {
    Colour colour;
    double width = 1;
};

class Canvas {
public:
    virtual ~Canvas() = default;
    virtual void BeginGroup(const std::string& id, Clip clip) = 0;
    virtual void EndGroup() = 0;
    virtual void Lines(const std::vector<std::vector<Vec2>>& paths, const Pen& pen, const std::string& cls) = 0;
    virtual void Polygon(const std::vector<Vec2>& pts, Colour fill, Fill mode, const Pen& pen) = 0;
    virtual void Circle(Vec2 c, double r, Colour fill, Fill mode, const Pen& pen) = 0;
    virtual void Text(Vec2 at, const std::string& text, double size, bool bold) = 0;
};

// ---- SVG --------------------------------------------------------------------

std::string Hex(Colour c)
{
    char buf[8];
    std::snprintf(buf, sizeof buf, "#%02x%02x%02x", c.r, c.g, c.b);
    return buf;
}

std::string Num(double v)
{
    char buf[32];
    std::snprintf(buf, sizeof buf, "%.2f", v);
    return buf;
}

std::string Escape(const std::string& s)
{
    std::string out;
    for (char c : s) {
        switch (c) {
        case '&': out += "&amp;"; break;
        case '<': out += "&lt;"; break;
        case '>': out += "&gt;"; break;
        case '"': out += "&quot;"; break;
        case '\'': out += "&apos;"; break;
        default: out += c;
        }
    }
    return out;
}

class SvgCanvas final : public Canvas {
public:
    SvgCanvas(double width, double height, const std::string& clipShape)
    {
        out_ << "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
             << "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"" << Num(width) << "\" height=\"" << Num(height)
             << "\" viewBox=\"0 0 " << Num(width) << ' ' << Num(height) << "\">\n"
             << "<defs><clipPath id=\"zone\">" << clipShape << "</clipPath></defs>\n"
             << "<rect width=\"100%\" height=\"100%\" fill=\"#ffffff\"/>\n";
    }
    void BeginGroup(const std::string& id, Clip clip) override
    {
        out_ << "<g id=\"" << Escape(id) << '"' << (clip == Clip::Plot ? " clip-path=\"url(#zone)\"" : "") << ">\n";
    }
    void EndGroup() override { out_ << "</g>\n"; }
    void Lines(const std::vector<std::vector<Vec2>>& paths, const Pen& pen, const std::string& cls) override
    {
        out_ << "<path";
        if (!cls.empty()) out_ << " class=\"" << Escape(cls) << '"';
        out_ << " fill=\"none\" stroke=\"" << Hex(pen.colour) << "\" stroke-width=\"" << Num(pen.width)
             << "\" stroke-linejoin=\"round\" d=\"";
        for (const auto& path : paths) {
            for (std::size_t k = 0; k < path.size(); ++k)
                out_ << (k == 0 ? 'M' : 'L') << Num(path[k].x) << ' ' << Num(path[k].y) << ' ';
        }
        out_ << "\"/>\n";
    }
    void Polygon(const std::vector<Vec2>& pts, Colour fill, Fill mode, const Pen& pen) override
    {
        out_ << "<polygon points=\"";
        for (Vec2 p : pts) out_ << Num(p.x) << ',' << Num(p.y) << ' ';
        out_ << "\" fill=\"" << (mode == Fill::Filled ? Hex(fill) : "#ffffff") << "\" stroke=\""
             << Hex(pen.colour) << "\" stroke-width=\"" << Num(pen.width) << "\"/>\n";
    }
    void Circle(Vec2 c, double r, Colour fill, Fill mode, const Pen& pen) override
    {
        out_ << "<circle cx=\"" << Num(c.x) << "\" cy=\"" << Num(c.y) << "\" r=\"" << Num(r) << "\" fill=\""
             << (mode == Fill::Filled ? Hex(fill) : "#ffffff") << "\" stroke=\"" << Hex(pen.colour)
             << "\" stroke-width=\"" << Num(pen.width) << "\"/>\n";
    }
    void Text(Vec2 at, const std::string& text, double size, bool bold) override
    {
        out_ << "<text x=\"" << Num(at.x) << "\" y=\"" << Num(at.y) << "\" font-family=\"DejaVu Sans\" font-size=\""
             << Num(size) << '"' << (bold ? " font-weight=\"bold\"" : "") << ">" << Escape(text) << "</text>\n";
    }
    std::string Finish()
    {
        out_ << "</svg>\n";
        return out_.str();
    }

private:
    std::ostringstream out_;
};

// ---- Cairo ------------------------------------------------------------------

struct SurfaceDeleter {
    void operator()(cairo_surface_t* s) const { LoadCairo().surface_destroy(s); }
};
struct ContextDeleter {
    void operator()(cairo_t* c) const { LoadCairo().destroy(c); }
};

class CairoCanvas final : public Canvas {
public:
    CairoCanvas(int width, int height, std::function<void(cairo_t*)> clipPath)
        : api_(LoadCairo())
        , surface_(api_.image_surface_create(CAIRO_FORMAT_RGB24, width, height))
        , cr_(api_.create(surface_.get()))
        , clipPath_(std::move(clipPath))
    {
        if (api_.status(cr_.get()) != CAIRO_STATUS_SUCCESS)
            throw PortraitError("Impossible de préparer l'image du portrait.");
        api_.set_source_rgb(cr_.get(), 1, 1, 1);
        api_.paint(cr_.get());
        api_.set_line_join(cr_.get(), CAIRO_LINE_JOIN_ROUND);
        api_.set_line_cap(cr_.get(), CAIRO_LINE_CAP_ROUND);
    }
    void BeginGroup(const std::string&, Clip clip) override
    {
        api_.save(cr_.get());
        if (clip == Clip::Plot) {
            clipPath_(cr_.get());
            api_.clip(cr_.get());
        }
    }
    void EndGroup() override { api_.restore(cr_.get()); }
    void Lines(const std::vector<std::vector<Vec2>>& paths, const Pen& pen, const std::string&) override
    {
        for (const auto& path : paths)
            for (std::size_t k = 0; k < path.size(); ++k)
                (k == 0 ? api_.move_to : api_.line_to)(cr_.get(), path[k].x, path[k].y);
        Stroke(pen);
    }
    void Polygon(const std::vector<Vec2>& pts, Colour fill, Fill mode, const Pen& pen) override
    {
        for (std::size_t k = 0; k < pts.size(); ++k)
            (k == 0 ? api_.move_to : api_.line_to)(cr_.get(), pts[k].x, pts[k].y);
        api_.close_path(cr_.get());
        FillAndStroke(fill, mode, pen);
    }
    void Circle(Vec2 c, double r, Colour fill, Fill mode, const Pen& pen) override
    {
        api_.new_sub_path(cr_.get());
        api_.arc(cr_.get(), c.x, c.y, r, 0, 2 * M_PI);
        FillAndStroke(fill, mode, pen);
    }
    void Text(Vec2 at, const std::string& text, double size, bool bold) override
    {
        api_.select_font_face(cr_.get(), "DejaVu Sans", CAIRO_FONT_SLANT_NORMAL,
                               bold ? CAIRO_FONT_WEIGHT_BOLD : CAIRO_FONT_WEIGHT_NORMAL);
        api_.set_font_size(cr_.get(), size);
        api_.set_source_rgb(cr_.get(), 0, 0, 0);
        api_.move_to(cr_.get(), at.x, at.y);
        api_.show_text(cr_.get(), text.c_str());
        api_.new_path(cr_.get());
    }
    // Writes to `file`; a failure names `shownName`, the file the user asked for.
    void WritePng(const std::string& file, const std::string& shownName)
    {
        api_.surface_flush(surface_.get());
        if (api_.surface_write_to_png(surface_.get(), file.c_str()) != CAIRO_STATUS_SUCCESS) {
            std::error_code ec;
            std::filesystem::remove(file, ec);
            throw PortraitError(std::string(labels::kCannotWrite) + "'" + shownName + "'.");
        }
    }

private:
    void Source(Colour c) { api_.set_source_rgb(cr_.get(), c.r / 255.0, c.g / 255.0, c.b / 255.0); }
    void Stroke(const Pen& pen)
    {
        Source(pen.colour);
        api_.set_line_width(cr_.get(), pen.width);
        api_.stroke(cr_.get());
    }
    void FillAndStroke(Colour fill, Fill mode, const Pen& pen)
    {
        if (mode == Fill::Filled) Source(fill);
        else api_.set_source_rgb(cr_.get(), 1, 1, 1);
        api_.fill_preserve(cr_.get());
        Stroke(pen);
    }
    const CairoApi& api_;
    std::unique_ptr<cairo_surface_t, SurfaceDeleter> surface_;
    std::unique_ptr<cairo_t, ContextDeleter> cr_;
    std::function<void(cairo_t*)> clipPath_;
};

// ---- Layout -----------------------------------------------------------------

struct Layout {
    double scale = 1;      // pixels per unit
    double plotW = 0, plotH = 0;
    double width = 0, height = 0;
    Window w;
    Vec2 ToPixels(Vec2 p) const
    {
        return {kMargin + (p.x - w.xmin) * scale, kMargin + (w.ymax - p.y) * scale};
    }
};

Layout MakeLayout(const Portrait& portrait, std::size_t legendLines)
{
    Layout l;
    l.w = portrait.window;
    double pixels = portrait.pixels > 50 ? portrait.pixels : 720;
    l.scale = pixels / std::max(l.w.Width(), l.w.Height());
    l.plotW = l.w.Width() * l.scale;
    l.plotH = l.w.Height() * l.scale;
    l.width = std::ceil(kMargin * 3 + l.plotW + kLegendWidth);
    double legendHeight = 60 + 22.0 * static_cast<double>(legendLines);
    l.height = std::ceil(std::max(kMargin * 2 + l.plotH, kMargin * 2 + legendHeight));
    return l;
}

// A nature's marker: shape, colour, fill.
enum class Shape { Cross, Disc, Square, Diamond, Triangle, Ring };

struct Marker {
    Shape shape = Shape::Square;
    Colour colour = kGrey;
    Fill fill = Fill::Filled;
};

Marker MarkerFor(const std::string& type, const std::string& stability)
{
    Fill fill = stability == "unstable" ? Fill::Hollow : Fill::Filled;
    if (type == "saddle") return {Shape::Cross, kRed, Fill::Filled};
    if (type == "node") return {Shape::Disc, kBlue, fill};
    if (type == "star_node" || type == "degenerate_node") return {Shape::Diamond, kBlue, fill};
    if (type == "focus") return {Shape::Disc, kGreen, fill};
    if (type == "weak_focus") return {Shape::Square, kGreen, fill};
    if (type == "center") return {Shape::Ring, kBlack, Fill::Hollow};
    if (type == "saddle_node") return {Shape::Triangle, kOrange, Fill::Filled};
    if (type == "cusp") return {Shape::Triangle, kPurple, Fill::Hollow};
    if (type == "elliptic_saddle") return {Shape::Diamond, kBrown, Fill::Filled};
    if (type == "degenerate") return {Shape::Square, kTeal, Fill::Filled};
    return {Shape::Square, kGrey, Fill::Hollow};
}

void DrawMarker(Canvas& c, Vec2 at, const Marker& m)
{
    const double r = 5.5;
    Pen pen{m.shape == Shape::Ring ? kBlack : m.colour, 1.6};
    switch (m.shape) {
    case Shape::Cross:
        c.Lines({{at + Vec2{-r, -r}, at + Vec2{r, r}}, {at + Vec2{-r, r}, at + Vec2{r, -r}}}, {m.colour, 2.4}, "");
        break;
    case Shape::Disc: c.Circle(at, r, m.colour, m.fill, pen); break;
    case Shape::Ring:
        c.Circle(at, r, kBlack, Fill::Hollow, pen);
        c.Circle(at, 1.5, kBlack, Fill::Filled, {kBlack, 1});
        break;
    case Shape::Square:
        c.Polygon({at + Vec2{-r, -r}, at + Vec2{r, -r}, at + Vec2{r, r}, at + Vec2{-r, r}}, m.colour, m.fill, pen);
        break;
    case Shape::Diamond:
        c.Polygon({at + Vec2{0, -r - 1}, at + Vec2{r + 1, 0}, at + Vec2{0, r + 1}, at + Vec2{-r - 1, 0}}, m.colour,
                  m.fill, pen);
        break;
    case Shape::Triangle:
        c.Polygon({at + Vec2{0, -r - 1}, at + Vec2{r + 1, r}, at + Vec2{-r - 1, r}}, m.colour, m.fill, pen);
        break;
    }
}

// A filled arrowhead with its tip at `tip`, pointing along `dir` (pixels).
void DrawArrowHead(Canvas& c, Vec2 tip, Vec2 dir, double size, Colour colour)
{
    double n = Norm(dir);
    if (!(n > 0)) return;
    Vec2 u = (1 / n) * dir;
    Vec2 side{-u.y, u.x};
    Vec2 base = tip - size * u;
    c.Polygon({tip, base + (0.45 * size) * side, base - (0.45 * size) * side}, colour, Fill::Filled, {colour, 0.5});
}

// Arrowheads along a curve: one at mid-length, more on long curves.
// The polyline cut into dashes of `on` pixels with gaps of `off`.
std::vector<std::vector<Vec2>> Dashed(const std::vector<Vec2>& px, double on, double off)
{
    std::vector<std::vector<Vec2>> dashes;
    bool drawing = true;
    double left = on;
    std::vector<Vec2> dash;
    for (std::size_t k = 0; k + 1 < px.size(); ++k) {
        Vec2 a = px[k];
        const Vec2 b = px[k + 1];
        double len = Norm(b - a);
        if (drawing && dash.empty()) dash.push_back(a);
        while (len > left) {
            const Vec2 m = a + (left / len) * (b - a);
            if (drawing) {
                dash.push_back(m);
                dashes.push_back(std::move(dash));
                dash.clear();
            } else {
                dash.push_back(m);
            }
            len -= left;
            a = m;
            drawing = !drawing;
            left = drawing ? on : off;
        }
        left -= len;
        if (drawing) dash.push_back(b);
    }
    if (dash.size() > 1) dashes.push_back(std::move(dash));
    return dashes;
}

void ArrowsAlong(Canvas& c, const std::vector<Vec2>& px, Colour colour, double spacing)
{
    if (px.size() < 2) return;
    std::vector<double> cum(px.size(), 0);
    for (std::size_t k = 1; k < px.size(); ++k) cum[k] = cum[k - 1] + Norm(px[k] - px[k - 1]);
    double total = cum.back();
    if (total < 12) return;
    int count = std::max(1, static_cast<int>(total / spacing));
    for (int a = 0; a < count; ++a) {
        double target = total * (a + 0.5) / count;
        auto it = std::lower_bound(cum.begin(), cum.end(), target);
        std::size_t k = static_cast<std::size_t>(std::max<std::ptrdiff_t>(1, it - cum.begin()));
        double seg = cum[k] - cum[k - 1];
        double t = seg > 0 ? (target - cum[k - 1]) / seg : 0;
        Vec2 at = px[k - 1] + t * (px[k] - px[k - 1]);
        // Direction over a few pixels, steadier than one short segment.
        std::size_t k2 = k;
        while (k2 + 1 < px.size() && cum[k2] - target < 4) ++k2;
        DrawArrowHead(c, at, px[k2] - px[k - 1], 9, colour);
    }
}

std::vector<Vec2> ToPixels(const Layout& l, const std::vector<Vec2>& pts)
{
    std::vector<Vec2> out;
    out.reserve(pts.size());
    for (Vec2 p : pts) out.push_back(l.ToPixels(p));
    return out;
}

std::string Decimal(double v)
{
    char buf[32];
    std::snprintf(buf, sizeof buf, "%.4g", v);
    std::string s = buf;
    for (char& ch : s)
        if (ch == '.') ch = ',';
    return s;
}

struct LegendEntry {
    std::string text;
    enum class Kind { Line, Marker, Note } kind; // a note is text alone
    Pen pen;
    Marker marker;
};

std::vector<LegendEntry> LegendOf(const Portrait& p)
{
    std::vector<LegendEntry> e;
    e.push_back({labels::kField, LegendEntry::Kind::Line, {kFieldGrey, 1.5}, {}});
    // Only what the picture shows.
    auto hasSeparatrix = [&](SeparatrixKind kind) {
        return std::any_of(p.separatrices.begin(), p.separatrices.end(),
                           [kind](const Separatrix& s) { return s.kind == kind; });
    };
    if (!p.nullclineP.empty()) e.push_back({labels::kNullclineP, LegendEntry::Kind::Line, {kOrange, 2}, {}});
    if (!p.nullclineQ.empty()) e.push_back({labels::kNullclineQ, LegendEntry::Kind::Line, {kMagenta, 2}, {}});
    if (hasSeparatrix(SeparatrixKind::Unstable))
        e.push_back({labels::kUnstableSeparatrix, LegendEntry::Kind::Line, {kRed, 2}, {}});
    if (hasSeparatrix(SeparatrixKind::Stable))
        e.push_back({labels::kStableSeparatrix, LegendEntry::Kind::Line, {kBlue, 2}, {}});
    if (std::any_of(p.orbits.begin(), p.orbits.end(), [](const Orbit& o) { return !o.limitCycle; }))
        e.push_back({labels::kOrbit, LegendEntry::Kind::Line, {kOrbitGrey, 1.2}, {}});
    if (std::any_of(p.orbits.begin(), p.orbits.end(), [](const Orbit& o) { return o.limitCycle; }))
        e.push_back({labels::kLimitCycle, LegendEntry::Kind::Line, {kPurple, 2.4}, {}});
    std::set<std::string> seen;
    for (const FixedPoint& fp : p.fixedPoints) {
        std::string label = NatureLabel(fp.type, fp.stability);
        if (seen.insert(label).second)
            e.push_back({label, LegendEntry::Kind::Marker, {}, MarkerFor(fp.type, fp.stability)});
    }
    if (!p.fixedCurves.empty()) e.push_back({labels::kFixedCurve, LegendEntry::Kind::Line, {kTeal, 3}, {}});
    if (!p.infinitePoints.empty())
        e.push_back({labels::kPointAtInfinity, LegendEntry::Kind::Marker, {}, {Shape::Disc, kBlack, Fill::Hollow}});
    if (p.fixedPoints.empty() && p.curveCount == 0) e.push_back({labels::kNoFixedPoint, LegendEntry::Kind::Note, {}, {}});
    if (p.pointOrigin == PointOrigin::Numerical)
        e.push_back({labels::kNumericalPoints, LegendEntry::Kind::Note, {}, {}});
    return e;
}

void Draw(const Portrait& p, const Layout& l, const std::vector<LegendEntry>& legend, Canvas& c)
{
    const bool disc = p.projection == Projection::PoincareDisc;
    const double cell = std::min(l.plotW, l.plotH) / 21;

    c.BeginGroup(labels::kGroupFrame, Clip::None);
    if (disc) {
        c.Circle(l.ToPixels({0, 0}), l.scale, kBlack, Fill::Hollow, {kBlack, 1.5});
    } else {
        Vec2 a = l.ToPixels({l.w.xmin, l.w.ymax}), b = l.ToPixels({l.w.xmax, l.w.ymin});
        c.Polygon({a, {b.x, a.y}, b, {a.x, b.y}}, kBlack, Fill::Hollow, {kBlack, 1.2});
        // The axes, when they cross the window.
        std::vector<std::vector<Vec2>> axes;
        if (l.w.xmin < 0 && l.w.xmax > 0) axes.push_back({l.ToPixels({0, l.w.ymin}), l.ToPixels({0, l.w.ymax})});
        if (l.w.ymin < 0 && l.w.ymax > 0) axes.push_back({l.ToPixels({l.w.xmin, 0}), l.ToPixels({l.w.xmax, 0})});
        if (!axes.empty()) c.Lines(axes, {{220, 220, 220}, 1}, "axes");
    }
    c.EndGroup();

    c.BeginGroup(labels::kGroupField, Clip::Plot);
    std::vector<std::vector<Vec2>> shafts;
    for (const FieldArrow& a : p.field) {
        Vec2 at = l.ToPixels(a.at);
        Vec2 d{a.direction.x, -a.direction.y};
        shafts.push_back({at - (0.3 * cell) * d, at + (0.3 * cell) * d});
    }
    c.Lines(shafts, {kFieldGrey, 1}, "champ");
    for (const FieldArrow& a : p.field) {
        Vec2 d{a.direction.x, -a.direction.y};
        DrawArrowHead(c, l.ToPixels(a.at) + (0.3 * cell) * d, d, 4.5, kFieldGrey);
    }
    c.EndGroup();

    c.BeginGroup(labels::kGroupNullclines, Clip::Plot);
    auto segments = [&](const std::vector<std::vector<Vec2>>& segs) {
        std::vector<std::vector<Vec2>> px;
        for (const auto& s : segs) px.push_back(ToPixels(l, s));
        return px;
    };
    c.Lines(segments(p.nullclineP), {kOrange, 1.5}, "isocline-p");
    c.Lines(segments(p.nullclineQ), {kMagenta, 1.5}, "isocline-q");
    c.EndGroup();

    c.BeginGroup(labels::kGroupOrbits, Clip::Plot);
    for (const Orbit& o : p.orbits) {
        auto px = ToPixels(l, o.points);
        if (o.limitCycle && o.unstable) c.Lines(Dashed(px, 9, 6), {kPurple, 2.4}, "orbite cycle-limite instable");
        else if (o.limitCycle) c.Lines({px}, {kPurple, 2.4}, "orbite cycle-limite");
        else c.Lines({px}, {kOrbitGrey, 1.1}, o.closed ? "orbite fermee" : "orbite");
        ArrowsAlong(c, px, kOrbitGrey, 260);
    }
    c.EndGroup();

    c.BeginGroup(labels::kGroupSeparatrices, Clip::Plot);
    for (const Separatrix& s : p.separatrices) {
        bool unstable = s.kind == SeparatrixKind::Unstable;
        Colour colour = unstable ? kRed : kBlue;
        auto px = ToPixels(l, s.orbit.points);
        c.Lines({px}, {colour, 1.7}, unstable ? "separatrice instable" : "separatrice stable");
        // A stable separatrix is traced back from its point: its arrows go the other way.
        if (!unstable) std::reverse(px.begin(), px.end());
        ArrowsAlong(c, px, colour, 260);
    }
    c.EndGroup();

    if (!p.fixedCurves.empty()) {
        c.BeginGroup(labels::kGroupFixedCurves, Clip::Plot);
        c.Lines(segments(p.fixedCurves), {kTeal, 3}, "courbe-points-fixes");
        c.EndGroup();
    }

    c.BeginGroup(labels::kGroupFixedPoints, Clip::None);
    for (Vec2 q : p.infinitePoints) c.Circle(l.ToPixels(q), 4.5, kBlack, Fill::Hollow, {kBlack, 1.4});
    for (const FixedPoint& fp : p.fixedPoints) {
        if (!disc && !l.w.Contains(fp.at)) continue;
        DrawMarker(c, l.ToPixels(fp.at), MarkerFor(fp.type, fp.stability));
    }
    c.EndGroup();

    c.BeginGroup(labels::kGroupLegend, Clip::None);
    double x0 = kMargin * 2 + l.plotW, y = kMargin + 16;
    c.Text({x0, y}, labels::kTitle, 15, true);
    y += 20;
    std::string subtitle = disc ? std::string(labels::kDiscSubtitle)
                                : "[" + Decimal(l.w.xmin) + " ; " + Decimal(l.w.xmax) + "] x [" + Decimal(l.w.ymin)
                                      + " ; " + Decimal(l.w.ymax) + "]";
    c.Text({x0, y}, subtitle, 11, false);
    y += 26;
    for (const LegendEntry& e : legend) {
        if (e.kind == LegendEntry::Kind::Line)
            c.Lines({{{x0, y - 4}, {x0 + 26, y - 4}}}, e.pen, "");
        else if (e.kind == LegendEntry::Kind::Marker)
            DrawMarker(c, {x0 + 13, y - 4}, e.marker);
        c.Text({x0 + (e.kind == LegendEntry::Kind::Note ? 0 : 36), y}, e.text, 12, false);
        y += 22;
    }
    c.EndGroup();
}

std::string ClipShapeSvg(const Portrait& p, const Layout& l)
{
    if (p.projection == Projection::PoincareDisc) {
        Vec2 c = l.ToPixels({0, 0});
        return "<circle cx=\"" + Num(c.x) + "\" cy=\"" + Num(c.y) + "\" r=\"" + Num(l.scale) + "\"/>";
    }
    return "<rect x=\"" + Num(kMargin) + "\" y=\"" + Num(kMargin) + "\" width=\"" + Num(l.plotW) + "\" height=\""
        + Num(l.plotH) + "\"/>";
}

bool EndsWith(const std::string& s, const std::string& suffix)
{
    if (s.size() < suffix.size()) return false;
    for (std::size_t k = 0; k < suffix.size(); ++k)
        if (std::tolower(static_cast<unsigned char>(s[s.size() - suffix.size() + k])) != suffix[k]) return false;
    return true;
}

// Writes beside the target, then renames: the picture is never half-written.
// The temporary name is new (mkstemp): a file of the user's that happens to
// bear a fixed name such as "a.svg.tmp" is never overwritten, and two runs
// drawing into the same file do not write into each other's temporary.
std::string TemporaryBeside(const std::string& path)
{
    std::string name = path + ".XXXXXX";
    const int fd = ::mkstemp(name.data());
    if (fd < 0) throw PortraitError(std::string(labels::kCannotWrite) + "'" + path + "'.");
    // mkstemp makes it private to its owner; a picture is as readable as any new file.
    const mode_t mask = ::umask(0);
    ::umask(mask);
    ::fchmod(fd, 0666 & ~mask);
    ::close(fd);
    return name;
}

void Commit(const std::string& tmp, const std::string& path)
{
    std::error_code ec;
    std::filesystem::rename(tmp, path, ec);
    if (ec) {
        std::filesystem::remove(tmp, ec);
        throw PortraitError(std::string(labels::kCannotWrite) + "'" + path + "'.");
    }
}

} // namespace

std::string NatureLabel(const std::string& type, const std::string& stability)
{
    auto withStability = [&](const std::string& base) {
        if (stability == "stable") return base + " stable";
        if (stability == "unstable") return base + " instable";
        return base;
    };
    static const std::map<std::string, std::string> names = {
        {"node", "noeud"},
        {"star_node", "noeud étoilé"},
        {"degenerate_node", "noeud dégénéré"},
        {"focus", "foyer"},
        {"weak_focus", "foyer faible"},
    };
    if (type == "saddle") return "col";
    if (type == "center") return "centre";
    if (type == "saddle_node") return "col-noeud";
    if (type == "cusp") return "point de rebroussement";
    if (type == "elliptic_saddle") return "col elliptique";
    if (type == "degenerate") return "point dégénéré";
    if (auto it = names.find(type); it != names.end()) return withStability(it->second);
    return "nature indéterminée";
}

std::string SvgText(const Portrait& portrait)
{
    auto legend = LegendOf(portrait);
    Layout l = MakeLayout(portrait, legend.size());
    SvgCanvas canvas(l.width, l.height, ClipShapeSvg(portrait, l));
    Draw(portrait, l, legend, canvas);
    return canvas.Finish();
}

void WritePortrait(const Portrait& portrait, const std::string& path)
{
    std::string tmp;
    if (EndsWith(path, ".png")) {
        auto legend = LegendOf(portrait);
        Layout l = MakeLayout(portrait, legend.size());
        bool disc = portrait.projection == Projection::PoincareDisc;
        CairoCanvas canvas(static_cast<int>(l.width), static_cast<int>(l.height), [l, disc](cairo_t* cr) {
            if (disc) {
                Vec2 c = l.ToPixels({0, 0});
                LoadCairo().arc(cr, c.x, c.y, l.scale, 0, 2 * M_PI);
            } else {
                LoadCairo().rectangle(cr, kMargin, kMargin, l.plotW, l.plotH);
            }
        });
        Draw(portrait, l, legend, canvas);
        tmp = TemporaryBeside(path);
        canvas.WritePng(tmp, path);
    } else {
        std::string text = SvgText(portrait);
        tmp = TemporaryBeside(path);
        std::ofstream out(tmp, std::ios::binary | std::ios::trunc);
        out << text;
        out.close();
        if (!out) {
            std::error_code ec;
            std::filesystem::remove(tmp, ec);
            throw PortraitError(std::string(labels::kCannotWrite) + "'" + path + "'.");
        }
    }
    Commit(tmp, path);
}

} // namespace vindrel::portrait
