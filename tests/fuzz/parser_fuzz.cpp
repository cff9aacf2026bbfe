// The component parser on any bytes: the input is split at its first NUL into
// dx/dt and dy/dt (no NUL: all of it is dx/dt, dy/dt is empty). ParseSystem
// must either give two polynomials or throw one of the engine's errors; any
// other exception, a crash, a sanitizer report or a hang is a finding.
#include "engine/errors.h"
#include "engine/parse/parser.h"

#include <cstdint>
#include <string>

using namespace vindrel::engine;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const std::string input(reinterpret_cast<const char*>(data), size);
    const size_t nul = input.find('\0');
    const std::string p = input.substr(0, nul);
    const std::string q = nul == std::string::npos ? std::string() : input.substr(nul + 1);
    try {
        ParseSystem(p, q);
    } catch (const EngineError&) {
        // ParseError, LimitExceeded: the expected refusals
    }
    return 0;
}
