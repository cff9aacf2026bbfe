#include "engine/tool/deadline.h"

namespace vindrel::engine {

std::string BudgetWords(std::chrono::milliseconds announced)
{
    const long long ms = announced.count();
    std::string seconds = std::to_string(ms / 1000);
    if (const long long rest = ms % 1000; rest != 0) {
        std::string decimals = std::to_string(1000 + rest).substr(1);
        while (decimals.back() == '0')
            decimals.pop_back();
        seconds += "," + decimals;
    }
    return seconds + (ms >= 2000 ? " secondes" : " seconde");
}

std::string TimeoutMessage(std::chrono::milliseconds announced)
{
    return "Calcul abandonné : il dépasse le temps permis (" + BudgetWords(announced)
        + ").\nEssayez un système plus simple (degré plus petit, coefficients plus courts).";
}

} // namespace vindrel::engine
