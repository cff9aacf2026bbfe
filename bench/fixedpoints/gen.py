#!/usr/bin/env python3
"""Fixed-seed dense systems with small integer coefficients.

gen.py DEGREE COUNT prints COUNT lines "P;Q" (x, y, +, -, *, ^ only)."""
import random
import sys


def dense(rng, degree):
    terms = []
    for i in range(degree + 1):
        for j in range(degree + 1 - i):
            c = rng.randint(-5, 5)
            if c:
                terms.append(f"{c}*x^{i}*y^{j}")
    return "+".join(terms).replace("+-", "-") or "0"


def main():
    degree, count = int(sys.argv[1]), int(sys.argv[2])
    rng = random.Random(1000 + degree)
    for _ in range(count):
        print(dense(rng, degree) + ";" + dense(rng, degree))


if __name__ == "__main__":
    main()
