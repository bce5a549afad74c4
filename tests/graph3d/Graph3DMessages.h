// The exact texts of the 3D control's messages, as the tests expect them.
#pragma once

#include <string>

namespace msg {

inline const std::string CreateLinePrefix = "Cannot create a TGraphLine with ";
inline const std::string CreateLineSuffix = " value(s)";
inline const std::string IndexOutOfBounds = "Index out of bounds: ";
inline const std::string WrongLength = "Given line does not match: wrong length";
inline const std::string NoRange = "Graph3D.BuildTrapezes: Bad values: no range";
inline const std::string IsodoseIndexPrefix = "Isodose-index must be between 0 and ";
inline const std::string IsodosePercentage = "Isodose-percentage must be betwenn 0 and 100";
inline const std::string WaterPercentage = "Waterlevel-percentage must be betwenn 0 and 100";

}  // namespace msg
