// How many times one byte value occurs in a text: the line ends of a chunk
// of lines, say, counted at the speed of reading them.
#pragma once

#include <cstddef>
#include <string_view>

namespace sifta {

std::size_t CountByte(std::string_view text, char byte);

}  // namespace sifta
