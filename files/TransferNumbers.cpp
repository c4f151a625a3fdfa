#include "files/TransferNumbers.h"

#include <charconv>
#include <cmath>
#include <system_error>

namespace orvanix {

namespace {

bool Blank(char c) {
  return c == ' ' || c == '\t';
}

}  // namespace

bool ParseLeadingReal(std::string_view text, double& value, std::string_view& rest) {
  size_t at = 0;
  while (at < text.size() && Blank(text[at])) ++at;
  if (at < text.size() && text[at] == '+') {
    ++at;
    // from_chars takes no '+'; a second sign ("+-1") is not a number.
    if (at < text.size() && (text[at] == '+' || text[at] == '-')) return false;
  }
  const char* first = text.data() + at;
  const char* last = text.data() + text.size();
  const auto [end, error] = std::from_chars(first, last, value, std::chars_format::general);
  if (error != std::errc() || end == first) {
    // Out of range still reads as a number: let the caller refuse it as not finite.
    if (error == std::errc::result_out_of_range && end != first) {
      value = (*first == '-') ? -HUGE_VAL : HUGE_VAL;
      rest = text.substr(static_cast<size_t>(end - text.data()));
      return true;
    }
    return false;
  }
  rest = text.substr(static_cast<size_t>(end - text.data()));
  return true;
}

bool ParseReal(std::string_view text, double& value) {
  std::string_view rest;
  if (!ParseLeadingReal(text, value, rest)) return false;
  for (char c : rest) {
    if (!Blank(c)) return false;
  }
  return true;
}

std::string ScientificText(double value) {
  char buffer[64];
  const auto [end, error] =
      std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::scientific, 6);
  if (error != std::errc()) return "0.000000E+00";
  std::string text(buffer, end);
  for (char& c : text) {
    if (c == 'e') c = 'E';
  }
  return text;
}

void AppendFixed(std::string& out, double value) {
  char buffer[400];  // DBL_MAX in fixed notation has 309 digits before the point
  const auto [end, error] =
      std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::fixed, 6);
  if (error == std::errc()) out.append(buffer, end);
}

void AppendInteger(std::string& out, int64_t value) {
  char buffer[24];
  const auto [end, error] = std::to_chars(buffer, buffer + sizeof buffer, value);
  if (error == std::errc()) out.append(buffer, end);
}

}  // namespace orvanix
