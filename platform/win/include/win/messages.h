// Window message numbers.
#pragma once

#include "win/types.h"

constexpr UINT WM_USER = 0x0400;
