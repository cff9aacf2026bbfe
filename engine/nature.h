// The nature of a fixed point, shared by the fixed-point search and the
// local classification: the kind of linear part, the type of point, its
// stability, the order of a weak focus, and the reason of the verdict.
#pragma once

#include <optional>
#include <string>
#include <vector>

namespace vindrel::engine {

enum class LinearPart { Hyperbolic, Imaginary, SemiHyperbolic, Nilpotent, Zero };

enum class PointType {
    Saddle,
    Node,
    StarNode,
    DegenerateNode,
    Focus,
    Center,
    WeakFocus,
    SaddleNode,
    Cusp,
    EllipticSaddle,
    Degenerate, // linearly zero, sectors known, no classical name
    Undetermined,
};

enum class Stability { None, Stable, Unstable };

// A separatrix of a degenerate point: the tangent direction of an orbit that
// bounds a hyperbolic sector, and whether it leaves the point (unstable).
struct SeparatrixDirection {
    double dx = 0, dy = 0;
    bool unstable = false;
};

struct Nature {
    LinearPart linearPart = LinearPart::Hyperbolic;
    PointType type = PointType::Undetermined;
    Stability stability = Stability::None;
    std::optional<int> order; // order of a weak focus
    std::optional<int> index; // Poincare index, when the local study decided it
    std::optional<std::string> sectors; // "hhhh", "p", "eh", "" (monodromic), counter-clockwise
    std::string reason; // short, ASCII, for the JSON ("L1 = -3/8 < 0", "Hamiltonien")
    std::string explanation; // French sentence(s) for the reports (decodable characters only)
    std::vector<SeparatrixDirection> separatrices; // of a degenerate point, for the drawings
    std::vector<std::string> steps; // a blow-up told step by step ("Etape 1 : ..."), for the calculations
};

// The sectors and the index that the type alone fixes: saddle "hhhh" (-1),
// nodes "p", saddle-node "hhp", cusp "hh" (0), elliptic saddle "eh",
// monodromic points "" (+1). A degenerate point keeps what its study found;
// an undetermined point that is not monodromic stays without them.
inline void FillStandardPortrait(Nature& n)
{
    if (n.index && n.sectors) return;
    auto set = [&n](const char* sectors, int index) {
        n.sectors = sectors;
        n.index = index;
    };
    switch (n.type) {
    case PointType::Saddle:
        return set("hhhh", -1);
    case PointType::Node:
    case PointType::StarNode:
    case PointType::DegenerateNode:
        return set("p", 1);
    case PointType::Focus:
    case PointType::Center:
    case PointType::WeakFocus:
        return set("", 1);
    case PointType::SaddleNode:
        return set("hhp", 0);
    case PointType::Cusp:
        return set("hh", 0);
    case PointType::EllipticSaddle:
        return set("eh", 1);
    case PointType::Degenerate:
        return;
    case PointType::Undetermined:
        if (n.linearPart == LinearPart::Imaginary) set("", 1);
        return;
    }
}

} // namespace vindrel::engine
