#include "FuzzTables.h"

namespace zorvek::fuzz {

const ShippedTables& shippedTables() {
    static const ShippedTables tables{loadBoneTable(ZORVEK_DATA_DIR), loadIkTable(ZORVEK_DATA_DIR)};
    return tables;
}

}  // namespace zorvek::fuzz
