// printf-style formatting that always writes '.' as the decimal point. A Qt application
// takes the user's locale for the C library at start-up, so a plain snprintf("%f") would
// write "1,5" under a German locale: the texts of the views, their files and the clipboard
// must read the same on every machine.
#pragma once

#include <string>

namespace orvanix::views {

// Like snprintf into a std::string, in the "C" numeric locale whatever the current one.
std::string CFormat(const char* format, ...) __attribute__((format(printf, 1, 2)));

// Parses a decimal floating-point number at text[*pos] the way scanf's "%f" does (leading
// white space skipped, optional sign, digits with '.', optional exponent; also "inf" and
// "nan"), independent of the locale. On success stores it in `value`, advances *pos past it
// and returns true; otherwise leaves both unchanged and returns false.
bool ScanFloat(const std::string& text, size_t* pos, float* value);

}  // namespace orvanix::views
