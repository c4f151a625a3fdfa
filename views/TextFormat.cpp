#include "views/TextFormat.h"

#include <locale.h>

#include <cctype>
#include <charconv>
#include <cmath>
#include <cstdarg>
#include <cstdio>
#include <limits>

namespace orvanix::views {

namespace {
// One "C" locale for the life of the program; newlocale never fails for "C" in practice,
// and a null handle simply leaves the thread's locale in force.
locale_t CLocale() {
  static const locale_t c = newlocale(LC_ALL_MASK, "C", static_cast<locale_t>(nullptr));
  return c;
}
}  // namespace

std::string CFormat(const char* format, ...) {
  const locale_t c = CLocale();
  const locale_t previous = c ? uselocale(c) : static_cast<locale_t>(nullptr);
  va_list args;
  va_start(args, format);
  va_list copy;
  va_copy(copy, args);
  char small[128];
  const int length = std::vsnprintf(small, sizeof small, format, copy);
  va_end(copy);
  std::string text;
  if (length > 0 && static_cast<size_t>(length) < sizeof small) {
    text.assign(small, static_cast<size_t>(length));
  } else if (length > 0) {
    text.resize(static_cast<size_t>(length));
    std::vsnprintf(text.data(), text.size() + 1, format, args);
  }
  va_end(args);
  if (previous) uselocale(previous);
  return text;
}

bool ScanFloat(const std::string& text, size_t* pos, float* value) {
  size_t i = *pos;
  while (i < text.size() && std::isspace(static_cast<unsigned char>(text[i]))) ++i;
  if (i >= text.size()) return false;
  // from_chars takes no '+'; scanf does.
  const bool plus = text[i] == '+';
  const size_t start = plus ? i + 1 : i;
  if (plus && start < text.size() && text[start] == '-') return false;
  double parsed = 0.0;
  const char* first = text.data() + start;
  const char* last = text.data() + text.size();
  const auto result = std::from_chars(first, last, parsed, std::chars_format::general);
  if (result.ec == std::errc::invalid_argument) return false;
  if (result.ec == std::errc::result_out_of_range) {
    // Beyond a double: a negative exponent underflows to zero, anything else is infinite
    // (which callers refuse).
    const char* e = first;
    while (e < result.ptr && *e != 'e' && *e != 'E') ++e;
    const bool underflow = e + 1 < result.ptr && e[1] == '-';
    parsed = underflow ? 0.0 : (*first == '-' ? -HUGE_VAL : HUGE_VAL);
  }
  if (std::isfinite(parsed) && std::fabs(parsed) > std::numeric_limits<float>::max()) {
    parsed = parsed < 0 ? -HUGE_VAL : HUGE_VAL;
  }
  *value = static_cast<float>(parsed);
  *pos = static_cast<size_t>(result.ptr - text.data());
  return true;
}

}  // namespace orvanix::views
