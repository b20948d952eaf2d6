#include "rw/VersionStamp.h"

#include "rw/ChunkHeader.h"

namespace zorvek {

bool stampAccepted(StampRule rule, std::uint32_t stamp) {
    switch (rule) {
    case StampRule::Dff: return stamp == acceptedVersionStamp;
    case StampRule::AnyRw3: {
        const std::uint32_t version = libraryVersionOfStamp(stamp);
        return version >= 0x30000u && version < 0x38000u;
    }
    }
    return false;
}

}  // namespace zorvek
