// The working state of the main window, shared by all its handlers.
#pragma once

#include <QString>

#include <array>
#include <optional>

namespace vindrel {

inline constexpr int kCatalogueCapacity = 60;

struct WorkingState {
    int iana = 0;              // analysed flag: 1 once the boxes' system has been analysed
    std::optional<int> inew;   // new-system mode; unset (taken as 0) until the first selection
    int iastu = 0;             // tip counter, 0 to 4
    int Max = 0;               // number of catalogue entries loaded
    std::array<QString, kCatalogueCapacity + 1> nomsys;  // index 0 never holds an entry
    std::array<QString, kCatalogueCapacity + 1> compo1;
    std::array<QString, kCatalogueCapacity + 1> compo2;

    bool NewSystemMode() const { return inew.value_or(0) == 1; }
};

} // namespace vindrel
