#pragma once

// Indexes (1-based) into the image list imlLocation, shared by every tree
// of locations and the legends beside them.

namespace common::image {

inline constexpr int SystemNode = 1;
inline constexpr int Location = 2;
inline constexpr int Stock = 3;
inline constexpr int Licence = 4;
inline constexpr int TemporaryLicence = 5;
inline constexpr int RemovedLocation = 6;
inline constexpr int RemovedStock = 7;
inline constexpr int RemovedLicence = 8;
inline constexpr int RemovedTemporaryLicence = 9;
inline constexpr int Count = 9;

} // namespace common::image
