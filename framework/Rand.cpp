#include "framework/Rand.h"

namespace Quill {

MTRand& SharedRand()
{
    static MTRand generator;
    return generator;
}

} // namespace Quill
