#include "archive/archive_geometry.h"

#include <algorithm>

namespace archive_geometry {

bool is_supported_version(int version)
{
    return version == 2 || version == 3;
}

int block_step(int version)
{
    return version == 2 ? 24 : 17;
}

int depth(int version, int type)
{
    static const int v2[] = {512, 384, 128};
    static const int v3[] = {336, 252, 84};
    if (type < hourly || type > monthly || !is_supported_version(version))
        return 0;
    return (version == 2 ? v2 : v3)[type - 1];
}

int block_size(int version, int type, int index)
{
    return std::max(0, std::min(block_step(version), depth(version, type) - index));
}

} // namespace archive_geometry
