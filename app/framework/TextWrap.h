#pragma once
// Text broken into lines that fit a width, for the boxes that do not wrap by
// themselves: message boxes and the planar fit's fixed-width report.

#include <cstddef>
#include <functional>
#include <string>
#include <string_view>

namespace kelvara::app {

// Whether one line of UTF-8 text fits: in pixels of a font, or in columns.
using FitsOnALine = std::function<bool(std::string_view line)>;

// Every line of `text` that does not fit broken into lines that do: at a
// blank, else after a '/' (a long path breaks between its folders), else
// between two characters. The continuations of an indented line start two
// blanks further in. A line keeps at least one character, fitting or not.
std::string Wrapped(std::string_view text, const FitsOnALine& fits);

// The characters (not bytes) of UTF-8 text.
std::size_t CharacterCount(std::string_view text);

}  // namespace kelvara::app
