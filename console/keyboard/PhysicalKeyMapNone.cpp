#include "PhysicalKeyMap.h"

// Built where no X client library is available: the keypads follow the key
// events alone.
std::unique_ptr<CPhysicalKeyMap> OpenPhysicalKeyMap()
{
    return nullptr;
}
