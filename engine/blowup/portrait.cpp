#include "engine/blowup/portrait.h"

#include "engine/blowup/blowup.h"

#include <algorithm>
#include <cmath>

namespace vindrel::engine::blowup {

namespace {

using classify::Rational;

int HalfPlane(const Direction& d)
{
    return (d.dy.Sign() > 0 || (d.dy.IsZero() && d.dx.Sign() > 0)) ? 0 : 1;
}

Rational Cross(const Direction& a, const Direction& b)
{
    return a.dx * b.dy - a.dy * b.dx;
}

bool SameRay(const Direction& a, const Direction& b)
{
    return Cross(a, b).IsZero() && (a.dx * b.dx + a.dy * b.dy).Sign() > 0;
}

bool AngleLess(const Direction& a, const Direction& b)
{
    const int ha = HalfPlane(a), hb = HalfPlane(b);
    if (ha != hb) return ha < hb;
    return Cross(a, b).Sign() > 0;
}

Flow Reverse(Flow f)
{
    return f == Flow::In ? Flow::Out : Flow::In;
}

bool IsSector(const Item& i)
{
    return i.kind != Kind::Ray;
}

Item Sector(Kind k, Flow f = Flow::In)
{
    return Item { k, f, -1 };
}

Item RayItem(Flow f, int tag = -1)
{
    return Item { Kind::Ray, f, tag };
}

// The sector that the orbits near an arc of the divisor form with the two
// sectors next to it: a hyperbolic sector passes its orbits on, two parabolic
// sectors of opposite senses make an elliptic one.
Item Junction(const Item& a, const Item& b)
{
    if (a.kind == Kind::Hyperbolic && b.kind == Kind::Hyperbolic) return Sector(Kind::Hyperbolic);
    if (a.kind == Kind::Hyperbolic) return b;
    if (b.kind == Kind::Hyperbolic) return a;
    if (a.flow != b.flow) return Sector(Kind::Elliptic);
    throw Undecided("deux secteurs paraboliques de même sens de part et d'autre d'un arc du diviseur");
}

} // namespace

Direction Axis(int tag)
{
    static const int c[4][2] = { { 1, 0 }, { 0, 1 }, { -1, 0 }, { 0, -1 } };
    return Direction { Rational(c[tag & 3][0]), Rational(c[tag & 3][1]) };
}

Items FromRays(std::vector<Ray> rays, unsigned tags, const Flow* nodeFlow)
{
    for (int t = 0; t < 4; ++t) {
        if (!(tags & (1u << t))) continue;
        const Direction a = Axis(t);
        auto it = std::find_if(rays.begin(), rays.end(), [&](const Ray& r) { return SameRay(r.d, a); });
        if (it != rays.end()) {
            it->tag = t;
        } else if (nodeFlow) {
            rays.push_back(Ray { a, *nodeFlow, t });
        } else {
            throw Undecided("un axe invariant ne porte aucune séparatrice");
        }
    }
    if (rays.empty()) {
        if (!nodeFlow) throw Undecided("aucune orbite n'atteint le point");
        return { Sector(Kind::Parabolic, *nodeFlow) };
    }
    std::sort(rays.begin(), rays.end(), [](const Ray& a, const Ray& b) { return AngleLess(a.d, b.d); });
    Items out;
    for (std::size_t i = 0; i < rays.size(); ++i) {
        const Ray& r = rays[i];
        const Ray& next = rays[(i + 1) % rays.size()];
        Item ray = RayItem(r.flow, r.tag);
        const double dx = fmpq_get_d(r.d.dx.raw()), dy = fmpq_get_d(r.d.dy.raw()), norm = std::hypot(dx, dy);
        ray.dx = dx / norm;
        ray.dy = dy / norm;
        out.push_back(ray);
        out.push_back(r.flow == next.flow ? Sector(Kind::Parabolic, r.flow) : Sector(Kind::Hyperbolic));
    }
    return out;
}

Half Extract(const Items& full, int fromTag, int toTag, bool reversed, bool flipped)
{
    auto find = [&full](int tag) {
        for (std::size_t i = 0; i < full.size(); ++i)
            if (full[i].kind == Kind::Ray && full[i].tag == tag) return i;
        throw Undecided("le diviseur n'est pas retrouvé dans le portrait d'un de ses points");
    };
    const std::size_t a = find(fromTag), b = find(toTag);
    Half h;
    h.left = full[a].flow;
    h.right = full[b].flow;
    for (std::size_t i = (a + 1) % full.size(); i != b; i = (i + 1) % full.size()) {
        Item it = full[i];
        if (it.kind == Kind::Ray && (it.tag == fromTag || it.tag == toTag)) it.tag = -1;
        h.inner.push_back(it);
    }
    if (h.inner.empty() || !IsSector(h.inner.front()) || !IsSector(h.inner.back()))
        throw Undecided("demi-plan sans secteur");
    if (reversed) {
        std::reverse(h.inner.begin(), h.inner.end());
        std::swap(h.left, h.right);
    }
    if (flipped) {
        for (Item& i : h.inner)
            i.flow = Reverse(i.flow);
        h.left = Reverse(h.left);
        h.right = Reverse(h.right);
    }
    return h;
}

Items Join(std::vector<Half> halves, std::string* arcs)
{
    const std::size_t n = halves.size();
    for (std::size_t j = 0; j < n; ++j) {
        // The arc from halves[j] to halves[j + 1] leaves one end and reaches the other.
        if ((halves[j].right == Flow::Out) != (halves[(j + 1) % n].left == Flow::In))
            throw Undecided("sens incohérent sur un arc du diviseur");
    }
    for (Half& h : halves) {
        // An elliptic sector next to an arc: its orbits near the arc go along it.
        if (h.inner.front().kind == Kind::Elliptic)
            h.inner.insert(h.inner.begin(), { Sector(Kind::Parabolic, h.left), RayItem(h.left) });
        if (h.inner.back().kind == Kind::Elliptic) {
            h.inner.push_back(RayItem(h.right));
            h.inner.push_back(Sector(Kind::Parabolic, h.right));
        }
    }
    auto transparent
        = [](const Half& h) { return h.inner.size() == 1 && h.inner.front().kind == Kind::Hyperbolic; };
    std::vector<std::size_t> solid;
    for (std::size_t j = 0; j < n; ++j)
        if (!transparent(halves[j])) solid.push_back(j);
    Items out;
    for (std::size_t k = 0; k < solid.size(); ++k) {
        const Half& half = halves[solid[k]];
        const Items& in = half.inner;
        const std::size_t first = out.size();
        if (in.size() == 1) {
            out.push_back(RayItem(in.front().flow)); // an orbit of the fan splits its two sides
        } else {
            out.insert(out.end(), in.begin() + 1, in.end() - 1);
        }
        // A half without one direction for all its orbits keeps those of its rays.
        if (half.dx != 0 || half.dy != 0)
            for (std::size_t i = first; i < out.size(); ++i) {
                out[i].dx = half.dx;
                out[i].dy = half.dy;
            }
        out.push_back(Junction(in.back(), halves[solid[(k + 1) % solid.size()]].inner.front()));
        if (arcs)
            *arcs += out.back().kind == Kind::Elliptic ? 'e'
                                                       : (out.back().kind == Kind::Hyperbolic ? 'h' : 'p');
    }
    return out;
}

void Validate(const Items& items, unsigned tags)
{
    if (items.size() <= 1) return;
    if (items.size() % 2 != 0) throw Undecided("portrait mal formé");
    unsigned seen = 0;
    for (std::size_t i = 0; i < items.size(); i += 2) {
        const Item& r = items[i];
        const Item& s = items[i + 1];
        const Item& next = items[(i + 2) % items.size()];
        if (r.kind != Kind::Ray || next.kind != Kind::Ray || !IsSector(s))
            throw Undecided("portrait mal formé");
        if (r.tag >= 0) seen |= 1u << r.tag;
        const bool same = r.flow == next.flow;
        if (s.kind == Kind::Parabolic ? !(same && r.flow == s.flow) : same)
            throw Undecided("un secteur est mal bordé");
    }
    if ((seen & tags) != tags) throw Undecided("un axe invariant n'est pas retrouvé");
}

std::string Letters(const Items& items)
{
    std::string w;
    for (const Item& i : items) {
        if (i.kind == Kind::Hyperbolic) w += 'h';
        if (i.kind == Kind::Elliptic) w += 'e';
        if (i.kind == Kind::Parabolic) w += 'p';
    }
    return CanonicalSectors(w);
}

} // namespace vindrel::engine::blowup
