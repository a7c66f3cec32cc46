// The frame rates the program offers, wherever they are set: --rate, the Windows settings'
// slider, the web page's address.
#pragma once

namespace flakemorph {

inline constexpr int kLowestRate = 1;
inline constexpr int kHighestRate = 240;

}  // namespace flakemorph
