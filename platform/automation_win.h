// The system's automation headers on Windows, where the COM runtime is the
// system's own. com/com.h reaches them through here, so that OS headers stay
// inside this layer.
#pragma once

#include <windows.h>
#include <oleauto.h>
#include <objsafe.h>
#include <ocidl.h>
#include <servprov.h>
