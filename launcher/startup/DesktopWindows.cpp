#include "DesktopWindows.h"

DesktopWindows::~DesktopWindows() = default;

std::unique_ptr<DesktopWindows> createSessionDesktopWindows()
{
    return std::make_unique<NoDesktopWindows>();
}
