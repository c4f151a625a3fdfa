// Numbers as the import and export formats write and read them: '.' as the decimal mark in
// every locale (std::to_chars / std::from_chars never look at the locale).
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace orvanix {

// A real number with optional surrounding blanks and an optional leading '+': "12", "-3.5",
// "1e-3", " 7 ". NaN and infinities parse (the caller decides); anything else is refused.
bool ParseReal(std::string_view text, double& value);
// The first number at the start of `text` (after blanks); `rest` gets what follows it.
bool ParseLeadingReal(std::string_view text, double& value, std::string_view& rest);

// printf's "%E": "1.000000E-03".
std::string ScientificText(double value);
// printf's "%f" appended to `out`: "-12.000000".
void AppendFixed(std::string& out, double value);
// printf's "%d" appended to `out`.
void AppendInteger(std::string& out, int64_t value);

}  // namespace orvanix
