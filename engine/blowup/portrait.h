// The combinatorics of a local phase portrait: the orbits that reach the
// point (rays) and the sectors between them, counter-clockwise, and how the
// half-plane portraits of the points of a blow-up divisor join into the
// portrait of the blown-up point. Engine-internal.
#pragma once

#include "engine/classify/poly2.h"

#include <stdexcept>
#include <string>
#include <vector>

namespace vindrel::engine::blowup {

using classify::Direction;

// An orbit that tends to the point as t -> +infinity (In) or -infinity (Out).
enum class Flow : char { In, Out };
enum class Kind : char { Ray, Hyperbolic, Elliptic, Parabolic };

// tag k >= 0 marks the ray along the axis at angle k*pi/2 (an invariant
// axis that a caller needs to find again).
struct Item {
    Kind kind = Kind::Ray;
    Flow flow = Flow::In; // rays and parabolic sectors
    int tag = -1;
    double dx = 0, dy = 0; // a ray's tangent at the point, once known (unit)
};

// Cyclic, counter-clockwise. Either a single sector without any ray (a node,
// "p"), empty (monodromic), or rays and sectors alternating, starting with a ray.
using Items = std::vector<Item>;

// The study cannot conclude (an inconsistency, an irrational degenerate
// point, the depth or the time budget): the message says which, in French.
class Undecided : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

struct Ray {
    Direction d;
    Flow flow;
    int tag = -1;
};

// The axis direction at angle tag*pi/2.
Direction Axis(int tag);

// The portrait of an elementary point from its rays: between two consecutive
// rays a hyperbolic sector when they flow in opposite senses, else a
// parabolic one. Each axis of `tags` (bits 0..3) is tagged on the ray along
// it; a missing one is added with nodeFlow (a node), or Undecided.
Items FromRays(std::vector<Ray> rays, unsigned tags, const Flow* nodeFlow);

// The sectors strictly between two tagged rays, in the order of the angle on
// the divisor, with the senses of the two divisor rays.
struct Half {
    Items inner; // sector (ray sector)*
    Flow left = Flow::In, right = Flow::In;
    double dx = 0, dy = 0; // the direction of the half-plane's point on the divisor (unit), or 0
};
// reversed: the half-plane reverses the orientation; flipped: its time runs backwards.
Half Extract(const Items& full, int fromTag, int toTag, bool reversed, bool flipped);

// The portrait of the blown-up point from its divisor halves in angular
// order. Empty when no orbit reaches the point (monodromic).
// arcs, when given, receives the letter of the sector that each arc of the
// divisor carries (between two halves that are not both only hyperbolic).
Items Join(std::vector<Half> halves, std::string* arcs = nullptr);

// Checks the alternation and the senses of the rays that bound every sector.
void Validate(const Items& items, unsigned tags);

// "hhp": the sector letters in order, canonical (adjacent p merged, p next to e absorbed).
std::string Letters(const Items& items);

} // namespace vindrel::engine::blowup
