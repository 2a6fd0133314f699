// Result codes shared by every subsystem: one signed 32-bit value per outcome.
#pragma once
#include <cstdint>

namespace talvex {

using Result = int32_t;

constexpr Result kOk = 0;
constexpr Result kFail = static_cast<Result>(0x80004005u);     // E_FAIL
constexpr Result kPointer = static_cast<Result>(0x80004003u);  // E_POINTER
constexpr Result kOutOfMemory = static_cast<Result>(0x8007000Eu);
constexpr Result kInvalidArgument = static_cast<Result>(0x80070057u);  // E_INVALIDARG
constexpr Result kInvalidHandle = static_cast<Result>(0x80070006u);    // E_HANDLE
constexpr Result kBadSlot = 21;
constexpr Result kNoDirect3D = 22;

}  // namespace talvex
