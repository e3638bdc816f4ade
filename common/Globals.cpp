#include "common/Globals.h"

std::wstring gJavaHome;
std::uint32_t gServerPid = 0;
