#pragma once

// The one way Windows headers come into the adapters. platform/ComError.h
// declares names (S_OK, E_FAIL, ...) that the Windows headers define as
// macros, so it must be read first; after this header the adapters use the
// Windows macros for those numbers.
// clang-format off
#include "platform/ComError.h"

#include <windows.h>
#include <objbase.h>
#include <oaidl.h>
#include <oleauto.h>
// clang-format on
