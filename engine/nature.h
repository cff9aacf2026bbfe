// The nature of a fixed point, shared by the fixed-point search and the
// local classification: the kind of linear part, the type of point, its
// stability, the order of a weak focus, and the reason of the verdict.
#pragma once

#include <optional>
#include <string>

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

struct Nature {
    LinearPart linearPart = LinearPart::Hyperbolic;
    PointType type = PointType::Undetermined;
    Stability stability = Stability::None;
    std::optional<int> order; // order of a weak focus
    std::optional<int> index; // Poincare index, when the local study decided it
    std::optional<std::string> sectors; // "hhhh", "p", "eh", "" (monodromic), counter-clockwise
    std::string reason; // short, ASCII, for the JSON ("L1 = -3/8 < 0", "Hamiltonien")
    std::string explanation; // French sentence(s) for the reports (decodable characters only)
};

} // namespace vindrel::engine
