// The engine's exceptions. Messages are French, UTF-8, and use only the
// characters a result file can carry (see engine/report/dos.h), so a tool can
// write them as they stand. They are caught at two places only: each tool's
// main (engine/tool/tool_main.h) and the window's handlers.
#pragma once

#include <stdexcept>
#include <string>

namespace vindrel::engine {

class EngineError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// A component that cannot be read. component(): 1 for dx/dt, 2 for dy/dt;
// position(): 1-based character position in that component. what() is the
// whole sentence; detail() is the part after the component and position.
class ParseError : public EngineError {
public:
    ParseError(int component, int position, const std::string& detail)
        : EngineError(Compose(component, position, detail))
        , component_(component)
        , position_(position)
        , detail_(detail)
    {
    }
    int component() const noexcept { return component_; }
    int position() const noexcept { return position_; }
    const std::string& detail() const noexcept { return detail_; }

    static std::string ComponentName(int component) { return component == 2 ? "dy/dt" : "dx/dt"; }

private:
    static std::string Compose(int component, int position, const std::string& detail)
    {
        return "Erreur dans " + ComponentName(component) + ", position " + std::to_string(position) + " : "
            + detail;
    }
    int component_;
    int position_;
    std::string detail_;
};

// An input or a computation beyond the bounds the engine accepts
// (length, degree, size of numbers, time).
class LimitExceeded : public EngineError {
public:
    using EngineError::EngineError;
};

// A tool that needs numeric coefficients received literal constants.
class ParametersNotSupported : public EngineError {
public:
    using EngineError::EngineError;
};

} // namespace vindrel::engine
