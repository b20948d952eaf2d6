#include "FuzzTables.h"

namespace zorvek::fuzz {

const ConversionTables& shippedTables() {
    static const ConversionTables tables = loadConversionTables(ZORVEK_DATA_DIR);
    return tables;
}

}  // namespace zorvek::fuzz
