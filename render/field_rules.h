// What differs between the add-on's passes and the previewer's: field names, column widths and
// QR placement.
#pragma once

#include <cstdint>

#include "markup/variant.h"

namespace kestrane {

struct FieldRules {
    const char* barcodeName;
    const char* qrName;
    const char* fiscalQrName;  // nullptr: no fiscal field
    int32_t qrHeight;          // what a QR row adds to the layout
    int32_t cellWidths[3];     // wrapping widths of the three cells
    Variant variant;
};

const FieldRules& fieldRules(Variant variant);

}  // namespace kestrane
