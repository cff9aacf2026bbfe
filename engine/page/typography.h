// French typography for the HTML pages: escaping, a narrow no-break space
// before ; : ! ?, guillemets for straight quotes, decimal comma, and
// polynomials with superscript exponents and true minus signs.
#pragma once

#include <string>

namespace vindrel::page {

// Text for an HTML element or attribute: & < > " escaped.
std::string Escape(const std::string& text);

// A French sentence (UTF-8) as HTML: escaped, with the typography above.
// Line ends are kept (the caller decides how lines show).
std::string Prose(const std::string& text);

// A number with a decimal comma and at most `digits` significant digits
// ("−0,7071"); minus as U+2212.
std::string Decimal(double value, int digits = 6);

// An exact text of the engine ("-1/2*x^2*y + sqrt(5)") as HTML: exponents
// raised, products by juxtaposition, minus signs as U+2212.
std::string Formula(const std::string& text);

} // namespace vindrel::page
