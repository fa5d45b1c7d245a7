#pragma once
#include <cstdint>

// Status codes of the framework. Success is PEL_OK; every failure has the high bit set, so a
// caller tests whether the result is negative.
using PEL_STATUS = int32_t;

inline constexpr PEL_STATUS PEL_OK = 1;
inline constexpr PEL_STATUS PEL_E_BUSY = static_cast<PEL_STATUS>(0x80000001u);
inline constexpr PEL_STATUS PEL_E_INVALIDARG = static_cast<PEL_STATUS>(0x80000002u);
inline constexpr PEL_STATUS PEL_E_CREATE = static_cast<PEL_STATUS>(0x80000004u);
inline constexpr PEL_STATUS PEL_E_EXISTS = static_cast<PEL_STATUS>(0x80000005u);
inline constexpr PEL_STATUS PEL_E_NOTFOUND = static_cast<PEL_STATUS>(0x80000006u);
inline constexpr PEL_STATUS PEL_E_ACCESS = static_cast<PEL_STATUS>(0x80000008u);
inline constexpr PEL_STATUS PEL_E_PENDING = static_cast<PEL_STATUS>(0x80000009u);
inline constexpr PEL_STATUS PEL_E_NOTCONNECTED = static_cast<PEL_STATUS>(0x8000000Au);
inline constexpr PEL_STATUS PEL_E_IO = static_cast<PEL_STATUS>(0x8000000Bu);
inline constexpr PEL_STATUS PEL_E_FULL = static_cast<PEL_STATUS>(0x8000000Cu);
