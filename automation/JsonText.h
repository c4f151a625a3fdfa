// JSON text for the batch lines: strings escaped (control characters, quotes, backslashes;
// bytes that are not UTF-8 become U+FFFD, so a file name from anywhere still gives valid
// JSON), numbers in the shortest form that reads back exactly (NaN and infinity as null).
#pragma once

#include <string>
#include <string_view>
#include <type_traits>
#include <vector>

namespace orvanix {

std::string JsonString(std::string_view text);
std::string JsonNumber(double value);
// "[a,b,...]" of ready JSON values; JsonStringArray quotes each text first.
std::string JsonArray(const std::vector<std::string>& values);
std::string JsonStringArray(const std::vector<std::string>& texts);

// One object, its members in the order they are added.
class TJsonObject {
 public:
  void String(std::string_view key, std::string_view text) { Raw(key, JsonString(text)); }
  template <class T>
  requires std::is_arithmetic_v<T>
  void Number(std::string_view key, T value) {
    if constexpr (std::is_integral_v<T>) {
      Raw(key, std::to_string(value));
    } else {
      Raw(key, JsonNumber(static_cast<double>(value)));
    }
  }
  void Bool(std::string_view key, bool value) { Raw(key, value ? "true" : "false"); }
  void Null(std::string_view key) { Raw(key, "null"); }
  void Raw(std::string_view key, std::string_view json);
  std::string Text() const { return text_ + "}"; }

 private:
  std::string text_ = "{";
};

}  // namespace orvanix
