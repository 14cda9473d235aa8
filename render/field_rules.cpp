#include "render/field_rules.h"

namespace kestrane {

const FieldRules& fieldRules(Variant variant) {
    static const FieldRules addOn{"barcodeText", "qrcodeText", "qrcodeTextFiscal", 400,
                                  {268, 30, 258}, Variant::AddOn};
    static const FieldRules previewer{"barcodetext", "qrcodetext", nullptr, 168, {263, 30, 263},
                                      Variant::Previewer};
    return variant == Variant::Previewer ? previewer : addOn;
}

}  // namespace kestrane
