#pragma once

#include <cstdint>

namespace lexivoce::dict {

// Where one entry lies in its dictionary file, in bytes.
struct TLocation
{
    std::int32_t Offset = 0;
    std::int32_t Length = 0;

    bool operator==(const TLocation &) const = default;
};

} // namespace lexivoce::dict
